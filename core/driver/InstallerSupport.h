#pragma once
// What the installer's classes share: their message box, and paths as SetupAPI wants them.
#include <string>

namespace DRIVER {

// No owner, caption "提示", an OK button.
void ShowInstallerMessage(const std::wstring& text);
// SetupAPI and the device installation library want full paths; the installation's are relative.
std::wstring FullPath(const std::wstring& path);
bool FileExists(const std::wstring& path);

}  // namespace DRIVER
