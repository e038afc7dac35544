#pragma once
#include <windows.h>

#include <string>

namespace kit {

// The whole text of a window or control, however long; empty for no window.
std::wstring WindowText(HWND window);

}  // namespace kit
