#pragma once
#include <windows.h>

#include <string>

// The window as it shows on the screen, as a 24-bit BMP file.
bool SaveWindowImage(HWND window, const std::wstring& path);
