#include "core/driver/InstallerSupport.h"

#include <windows.h>

#include <vector>

#include "framework/MessageBox.h"

namespace DRIVER {

void ShowInstallerMessage(const std::wstring& text)
{
    kit::ShowMessageBox(nullptr, text.c_str(), L"提示", MB_OK);
}

std::wstring FullPath(const std::wstring& path)
{
    if (path.empty()) return path;
    DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::vector<wchar_t> buffer(needed + 1, L'\0');
    DWORD length = GetFullPathNameW(path.c_str(), needed + 1, buffer.data(), nullptr);
    return length == 0 || length > needed ? path : std::wstring(buffer.data(), length);
}

bool FileExists(const std::wstring& path)
{
    if (path.empty()) return false;
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace DRIVER
