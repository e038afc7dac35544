#include "launcher/supervision/StandbyWindow.h"

#include <algorithm>

// GDI+'s headers use min and max unqualified.
using std::max;
using std::min;
#include <objidl.h>
#include <gdiplus.h>

#include "framework/Handles.h"

namespace supervision {

constexpr wchar_t StandbyWindow::kClassName[];

StandbyWindow::StandbyWindow(std::wstring picture) : picture_(std::move(picture)) {}

StandbyWindow::~StandbyWindow()
{
    Hide();
}

void StandbyWindow::Show(bool withPicture)
{
    if (window_) return;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc = {};
    if (!GetClassInfoW(instance, kClassName, &wc)) {
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = kClassName;
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        wc.hCursor = nullptr;
        RegisterClassW(&wc);
    }
    Gdiplus::GdiplusStartupInput input;
    if (withPicture && GetFileAttributesW(picture_.c_str()) != INVALID_FILE_ATTRIBUTES &&
        Gdiplus::GdiplusStartup(&gdiplus_, &input, nullptr) == Gdiplus::Ok) {
        auto* image = new Gdiplus::Image(picture_.c_str());
        if (image->GetLastStatus() == Gdiplus::Ok) image_ = image;
        else delete image;
    }
    RECT area = DesktopArea();
    window_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName, L"Pavora standby",
                              WS_POPUP, area.left, area.top, area.right - area.left, area.bottom - area.top, nullptr,
                              nullptr, instance, this);
    if (!window_) return;
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    UpdateWindow(window_);
}

void StandbyWindow::Hide()
{
    if (window_) DestroyWindow(window_);
    window_ = nullptr;
    delete static_cast<Gdiplus::Image*>(image_);
    image_ = nullptr;
    if (gdiplus_) Gdiplus::GdiplusShutdown(gdiplus_);
    gdiplus_ = 0;
}

RECT StandbyWindow::DesktopArea()
{
    // Every monitor of the desktop: each projector of a wall shows one part of it.
    RECT area;
    area.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    area.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    area.right = area.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    area.bottom = area.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (area.right <= area.left || area.bottom <= area.top)
        area = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return area;
}

BOOL CALLBACK StandbyWindow::PaintMonitor(HMONITOR, HDC dc, LPRECT monitor, LPARAM context)
{
    auto* image = reinterpret_cast<Gdiplus::Image*>(context);
    int width = static_cast<int>(image->GetWidth()), height = static_cast<int>(image->GetHeight());
    Gdiplus::Graphics graphics(dc);
    graphics.DrawImage(image, monitor->left + (monitor->right - monitor->left - width) / 2,
                       monitor->top + (monitor->bottom - monitor->top - height) / 2, width, height);
    return TRUE;
}

void StandbyWindow::Paint(HWND window)
{
    kit::PaintDC paint(window);
    RECT client;
    GetClientRect(window, &client);
    FillRect(paint.Get(), &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    auto* image = static_cast<Gdiplus::Image*>(image_);
    if (!image) return;
    // The picture in the middle of each monitor, not across the seam between two.
    EnumDisplayMonitors(paint.Get(), nullptr, PaintMonitor, reinterpret_cast<LPARAM>(image));
}

LRESULT CALLBACK StandbyWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<StandbyWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_PAINT && self) {
        self->Paint(window);
        return 0;
    }
    if (message == WM_ERASEBKGND) return 1;
    if (message == WM_DISPLAYCHANGE) {
        // A monitor added, removed or set to another resolution: cover the desktop as it is now.
        RECT area = DesktopArea();
        SetWindowPos(window, HWND_TOPMOST, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_NOACTIVATE);
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    }
    if (message == WM_SETCURSOR) {
        SetCursor(nullptr);  // no pointer over the projection
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace supervision
