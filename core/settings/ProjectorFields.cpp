#include "core/settings/ProjectorFields.h"

#include <memory>
#include <vector>

#include "core/projector/ProjectorSwitch.h"
#include "core/resources/SchedulePageIds.h"
#include "core/settings/SaveFailures.h"
#include "core/text/ConfigFile.h"
#include "core/text/LanguageCaption.h"
#include "framework/DataExchange.h"
#include "framework/Handles.h"
#include "framework/Utf8.h"

namespace {

namespace config = tessaly::config;

// The projectors' answers are awaited on a thread of their own: one that does not answer
// takes seconds, and the sheet must not freeze meanwhile.
struct TryJob {
    HWND page;
    std::vector<projector::Address> addresses;
    std::string password;
    HMODULE held;
};

DWORD WINAPI TryThread(void* parameter)
{
    std::unique_ptr<TryJob> job(static_cast<TryJob*>(parameter));
    HMODULE held = job->held;
    {
        std::unique_ptr<std::wstring> answers(new std::wstring);
        for (const std::wstring& line : projector::ProjectorSwitch::TryAll(job->addresses, job->password))
            *answers += line + L"\r\n";
        if (PostMessageW(job->page, CProjectorFields::kTriedMessage, 0, reinterpret_cast<LPARAM>(answers.get())))
            answers.release();
        job.reset();
    }
    if (held) FreeLibraryAndExitThread(held, 0);
    return 0;
}

bool ReadAddresses(HWND page, std::vector<projector::Address>& addresses, std::wstring& problem)
{
    std::wstring error, text = kit::ReadText(page, IDC_SCHEDULE_ADDRESS);
    if (projector::ParseAddresses(text, addresses, error)) return true;
    problem = L"\n" + text + L"\n" + error;
    return false;
}

}  // namespace

void CProjectorFields::Load(HWND page)
{
    address_ = config::ReadString(config::kProjectorAddress);
    password_ = config::ReadString(config::kProjectorPassword);
    kit::WriteText(page, IDC_SCHEDULE_ADDRESS, address_);
    kit::WriteText(page, IDC_SCHEDULE_PASSWORD, password_);
}

bool CProjectorFields::Check(HWND page, std::wstring& problem) const
{
    std::vector<projector::Address> addresses;
    return ReadAddresses(page, addresses, problem);
}

void CProjectorFields::Store(HWND page)
{
    std::wstring address = kit::ReadText(page, IDC_SCHEDULE_ADDRESS);
    std::wstring password = kit::ReadText(page, IDC_SCHEDULE_PASSWORD);
    if (address != address_ && option::NoteConfigWrite(config::WriteString(config::kProjectorAddress, address.c_str())))
        address_ = address;
    if (password != password_ &&
        option::NoteConfigWrite(config::WriteString(config::kProjectorPassword, password.c_str())))
        password_ = password;
}

bool CProjectorFields::Try(HWND page, std::wstring& problem)
{
    std::vector<projector::Address> addresses;
    if (!ReadAddresses(page, addresses, problem)) return false;
    if (addresses.empty()) return true;
    std::unique_ptr<TryJob> job(
        new TryJob{page, addresses, kit::ToUtf8(kit::ReadText(page, IDC_SCHEDULE_PASSWORD)), nullptr});
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&TryThread), &job->held);
    kit::UniqueHandle thread(CreateThread(nullptr, 0, TryThread, job.get(), 0, nullptr));
    if (!thread) {
        if (job->held) FreeLibrary(job->held);
        return true;
    }
    job.release();
    kit::WriteText(page, IDC_SCHEDULE_ANSWERS, option::LanguageText(L"239"));
    EnableWindow(GetDlgItem(page, IDC_SCHEDULE_TRY), FALSE);
    return true;
}

void CProjectorFields::OnTried(HWND page, LPARAM answers)
{
    std::unique_ptr<std::wstring> text(reinterpret_cast<std::wstring*>(answers));
    kit::WriteText(page, IDC_SCHEDULE_ANSWERS, *text);
    EnableWindow(GetDlgItem(page, IDC_SCHEDULE_TRY), TRUE);
}
