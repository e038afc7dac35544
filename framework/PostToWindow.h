#pragma once
// Work that a worker thread hands to a window's thread: posted as `message` with the work in
// wParam, and run there when the window procedure passes that message's wParam to
// RunPosted. The one way the launcher's threads give work back to its bar.
#include <windows.h>

#include <functional>

namespace kit {

// False when the window is gone (the work is then dropped, never run).
bool PostToWindow(HWND window, UINT message, std::function<void()> work);
// Runs the work of one posted message, once.
void RunPosted(WPARAM work);

}  // namespace kit
