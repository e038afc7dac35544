#pragma once
#include <windows.h>

namespace kit {

// Own handling of messages of a window whose procedure is someone else's (a control, a
// common control's sheet). The subclass goes with the window at WM_NCDESTROY, or with
// the object, whichever comes first.
class WindowSubclass {
public:
    WindowSubclass() = default;
    virtual ~WindowSubclass();
    WindowSubclass(const WindowSubclass&) = delete;
    WindowSubclass& operator=(const WindowSubclass&) = delete;

    bool Attach(HWND window);
    void Detach();
    HWND Window() const { return window_; }

protected:
    // Everything not handled goes on with Default.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                 DWORD_PTR data);
    HWND window_ = nullptr;
};

}  // namespace kit
