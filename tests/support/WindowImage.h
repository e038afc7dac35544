#pragma once
#include <windows.h>

#include <string>

namespace testing_support {

// The window as it shows on the screen, as a 24-bit BMP file.
bool SaveWindowImage(HWND window, const std::wstring& path);

}  // namespace testing_support
