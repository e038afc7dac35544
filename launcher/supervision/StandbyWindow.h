#pragma once
// A window over the whole desktop (every monitor) while nothing can play: the picture
// data\images\standby.png centred on black on each monitor when it exists, else black,
// instead of the desktop. It follows display changes.
#include <windows.h>

#include <string>

namespace supervision {

class StandbyWindow {
public:
    static constexpr wchar_t kClassName[] = L"PavoraStandby";

    // `picture`: the full path of the picture file, read when the window shows.
    explicit StandbyWindow(std::wstring picture);
    ~StandbyWindow();
    StandbyWindow(const StandbyWindow&) = delete;
    StandbyWindow& operator=(const StandbyWindow&) = delete;

    // `withPicture` false: black alone (closed hours, when the projectors go off anyway).
    void Show(bool withPicture = true);
    void Hide();
    bool Shown() const { return window_ != nullptr; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static BOOL CALLBACK PaintMonitor(HMONITOR monitor, HDC dc, LPRECT area, LPARAM image);
    static RECT DesktopArea();
    void Paint(HWND window);

    std::wstring picture_;
    HWND window_ = nullptr;
    ULONG_PTR gdiplus_ = 0;
    void* image_ = nullptr;  // Gdiplus::Image, kept out of the header
};

}  // namespace supervision
