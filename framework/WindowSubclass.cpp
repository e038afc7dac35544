#include "framework/WindowSubclass.h"

#include <commctrl.h>

namespace kit {

WindowSubclass::~WindowSubclass()
{
    Detach();
}

bool WindowSubclass::Attach(HWND window)
{
    Detach();
    if (!window || !SetWindowSubclass(window, Proc, reinterpret_cast<UINT_PTR>(this),
                                      reinterpret_cast<DWORD_PTR>(this)))
        return false;
    window_ = window;
    return true;
}

void WindowSubclass::Detach()
{
    if (window_) RemoveWindowSubclass(window_, Proc, reinterpret_cast<UINT_PTR>(this));
    window_ = nullptr;
}

LRESULT WindowSubclass::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return Default(message, wParam, lParam);
}

LRESULT WindowSubclass::Default(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefSubclassProc(window_, message, wParam, lParam);
}

LRESULT CALLBACK WindowSubclass::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR data)
{
    auto* self = reinterpret_cast<WindowSubclass*>(data);
    if (message == WM_NCDESTROY) {
        self->Detach();
        return DefSubclassProc(window, message, wParam, lParam);
    }
    // No exception may leave a window procedure.
    try {
        return self->WindowProc(message, wParam, lParam);
    } catch (...) {
        return DefSubclassProc(window, message, wParam, lParam);
    }
}

}  // namespace kit
