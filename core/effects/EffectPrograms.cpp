#include "core/effects/EffectPrograms.h"

#include <shellapi.h>
#include <shlwapi.h>

#include "framework/CurrentDirectoryScope.h"
#include "core/frame/Processes.h"

namespace tessaly {

namespace {

std::wstring FullPathOf(const wchar_t* path)
{
    const DWORD needed = GetFullPathNameW(path, 0, nullptr, nullptr);
    if (needed == 0) return std::wstring();
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(path, needed, &full[0], nullptr);
    if (length == 0 || length >= needed) return std::wstring();
    full.resize(length);
    return full;
}

// Up to and with the last separator, so that a program in a drive's root gets the root
// ("C:\") and not the drive's remembered folder ("C:").
std::wstring FolderOf(const std::wstring& path)
{
    const std::wstring::size_type separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

}  // namespace

bool StartEffect(const wchar_t* path)
{
    if (!path || !PathFileExistsW(path)) return false;
    // A relative path would no longer lead to the file once its folder is current.
    const std::wstring fullPath = FullPathOf(path);
    if (fullPath.empty()) return false;
    kit::CurrentDirectoryScope inEffectFolder(FolderOf(fullPath));
    const HINSTANCE result =
        ShellExecuteW(nullptr, L"open", fullPath.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

int StopEffect(const wchar_t* path)
{
    return KillProcesses(path);
}

HWND FindEffectWindow()
{
    if (HWND window = FindWindowW(nullptr, L"Solmira")) return window;
    return FindWindowW(L"ShockwaveFlash", nullptr);
}

bool IsNativeEffect(const std::wstring& path)
{
    return path.find(L"effect.exe") != std::wstring::npos;
}

}  // namespace tessaly
