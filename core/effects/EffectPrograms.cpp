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
    if (!path || !PathFileExistsW(path)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    // A relative path would no longer lead to the file once its folder is current.
    const std::wstring fullPath = FullPathOf(path);
    if (fullPath.empty()) {
        SetLastError(ERROR_BAD_PATHNAME);
        return false;
    }
    DWORD error = ERROR_SUCCESS;
    {
        kit::CurrentDirectoryScope inEffectFolder(FolderOf(fullPath));
        // No zone check and no box: a downloaded effect would otherwise hold the bar's thread
        // in the shell's security warning until someone on site clicks it.
        SHELLEXECUTEINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = SEE_MASK_NOZONECHECKS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
        info.lpVerb = L"open";
        info.lpFile = fullPath.c_str();
        info.nShow = SW_SHOWNORMAL;
        if (!ShellExecuteExW(&info)) error = GetLastError();
        if (error == ERROR_SUCCESS && reinterpret_cast<INT_PTR>(info.hInstApp) <= 32) error = ERROR_GEN_FAILURE;
    }
    // The caller reads why it failed, after the folder was restored.
    SetLastError(error);
    return error == ERROR_SUCCESS;
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
