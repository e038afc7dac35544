#include "guardian/GuardNames.h"

#include <cwchar>

#include "framework/ProcessList.h"

namespace guardian {
namespace {

std::wstring ObjectName(const std::wstring& folder, const wchar_t* what)
{
    // FNV-1a of the folder as the system compares paths: the name must stay short and free
    // of backslashes.
    ULONGLONG hash = 14695981039346656037ULL;
    for (wchar_t c : kit::LowerName(folder)) {
        hash ^= static_cast<ULONGLONG>(c);
        hash *= 1099511628211ULL;
    }
    wchar_t text[32];
    std::swprintf(text, 32, L"%016llx", hash);
    return std::wstring(L"Local\\PavoraGuard.") + text + L"." + what;
}

}  // namespace

std::wstring GuardMutexName(const std::wstring& folder)
{
    return ObjectName(folder, L"guard");
}

std::wstring ExitEventName(const std::wstring& folder)
{
    return ObjectName(folder, L"exit");
}

std::wstring CrashEventName(const std::wstring& folder, DWORD launcherPid)
{
    return ObjectName(folder, (L"crash." + std::to_wstring(launcherPid)).c_str());
}

std::wstring CrashNoteName(const std::wstring& folder, DWORD launcherPid)
{
    return ObjectName(folder, (L"note." + std::to_wstring(launcherPid)).c_str());
}

std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH * 2] = L"";
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring folder(path, length);
    size_t slash = folder.rfind(L'\\');
    return slash == std::wstring::npos ? folder : folder.substr(0, slash);
}

}  // namespace guardian
