#include "framework/MessageBox.h"

#include <cwchar>
#include <vector>

namespace kit {
namespace {

MessageBoxHook& Hook()
{
    static MessageBoxHook hook;
    return hook;
}

std::wstring EnvironmentValue(const wchar_t* name)
{
    DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
    if (needed == 0) return std::wstring();
    std::vector<wchar_t> buffer(needed + 1, L'\0');
    GetEnvironmentVariableW(name, buffer.data(), needed + 1);
    return std::wstring(buffer.data());
}

std::string ToUtf8(const std::wstring& text)
{
    if (text.empty()) return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &result[0], size, nullptr,
                        nullptr);
    return result;
}

std::wstring Escaped(const std::wstring& text)
{
    std::wstring out;
    for (wchar_t ch : text) {
        if (ch == L'\n') out += L"\\n";
        else if (ch == L'\r') out += L"\\r";
        else if (ch == L'\t') out += L"\\t";
        else out += ch;
    }
    return out;
}

void AppendRecord(const std::wstring& path, const MessageBoxCall& call)
{
    wchar_t ownerTitle[260] = L"";
    if (call.owner) GetWindowTextW(call.owner, ownerTitle, 260);
    wchar_t type[16];
    _snwprintf(type, 15, L"%u", call.type);
    type[15] = L'\0';
    std::wstring line = Escaped(ownerTitle) + L"\t" + Escaped(call.caption) + L"\t" + Escaped(call.text) +
                        L"\t" + type + L"\n";
    std::string bytes = ToUtf8(line);
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

int FirstButtonOf(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return IDOK;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    case MB_YESNOCANCEL:
    case MB_YESNO: return IDYES;
    case MB_RETRYCANCEL: return IDRETRY;
    case MB_CANCELTRYCONTINUE: return IDCANCEL;
    default: return IDOK;
    }
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook)
{
    MessageBoxHook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}

int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)
{
    MessageBoxCall call{owner, text ? text : L"", caption ? caption : L"", type};
    if (Hook()) return Hook()(call);

    std::wstring log = EnvironmentValue(L"PAVORA_MESSAGEBOX_LOG");
    if (!log.empty()) {
        AppendRecord(log, call);
        std::wstring answer = EnvironmentValue(L"PAVORA_MESSAGEBOX_ANSWER");
        return answer.empty() ? FirstButtonOf(type) : _wtoi(answer.c_str());
    }
    return MessageBoxW(owner, text, caption, type);
}

}  // namespace kit
