#include "launcher/LibraryEffects.h"

#include <shlwapi.h>

#include "core/library/TessalyApi.h"

namespace launcher {
namespace {

// The system's own words for an error, for the log.
std::wstring ErrorText(DWORD error)
{
    wchar_t* text = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring said(text ? text : L"", text ? length : 0);
    if (text) LocalFree(text);
    while (!said.empty() && (said.back() == L'\n' || said.back() == L'\r' || said.back() == L' ' || said.back() == L'.'))
        said.pop_back();
    return (said.empty() ? std::wstring(L"error") : said) + L" (" + std::to_wstring(error) + L")";
}

}  // namespace

bool LibraryEffects::StartProgram(const std::wstring& path, std::wstring& why)
{
    SetLastError(ERROR_SUCCESS);
    if (PlayEffect(path.c_str())) return true;
    DWORD error = GetLastError();
    if (!PathFileExistsW(path.c_str())) why = L"the program file is missing";
    else why = ErrorText(error ? error : ERROR_GEN_FAILURE);
    return false;
}

int LibraryEffects::StopProgram(const std::wstring& path)
{
    return KillProcessByName(path.c_str());
}

bool LibraryEffects::IsNativeEffect(const std::wstring& path)
{
    return IsCplusEffect(path) != FALSE;
}

HWND LibraryEffects::FindEffectWindow()
{
    return GetFlashWnd();
}

}  // namespace launcher
