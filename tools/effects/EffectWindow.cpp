#include "EffectWindow.h"

namespace demo {

namespace {

const wchar_t kClassName[] = L"PavoraDemoEffect";
const UINT_PTR kFrameTimer = 1;
const UINT kFrameMilliseconds = 30;

// The off-screen picture that each frame is drawn into before it reaches the screen.
class BackBuffer {
public:
    ~BackBuffer() { Release(); }

    HDC Prepare(HDC screen, int width, int height)
    {
        if (!dc_ || width != width_ || height != height_) {
            Release();
            dc_ = CreateCompatibleDC(screen);
            bitmap_ = CreateCompatibleBitmap(screen, width, height);
            previous_ = SelectObject(dc_, bitmap_);
            width_ = width;
            height_ = height;
        }
        return dc_;
    }

private:
    void Release()
    {
        if (!dc_) return;
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
        dc_ = nullptr;
    }

    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

struct WindowData {
    Scene* scene;
    BackBuffer buffer;
};

POINT PointOf(LPARAM lParam)
{
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const CREATESTRUCTW* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    WindowData* data = reinterpret_cast<WindowData*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!data) return DefWindowProcW(window, message, wParam, lParam);

    switch (message) {
    case WM_TIMER:
        data->scene->Step();
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_MOUSEMOVE:
        data->scene->OnPointer(PointOf(lParam), (wParam & (MK_LBUTTON | MK_RBUTTON)) != 0);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        data->scene->OnPress(PointOf(lParam));
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) DestroyWindow(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC screen = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        HDC dc = data->buffer.Prepare(screen, client.right, client.bottom);
        data->scene->Draw(dc);
        BitBlt(screen, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        KillTimer(window, kFrameTimer);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int RunEffect(HINSTANCE instance, Scene& scene)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassW(&windowClass)) return 1;

    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    scene.Resize(width, height);
    WindowData data{&scene, {}};
    HWND window = CreateWindowExW(0, kClassName, L"Solmira", WS_POPUP | WS_VISIBLE, 0, 0, width, height,
                                  nullptr, nullptr, instance, &data);
    if (!window) return 1;
    SetForegroundWindow(window);
    SetTimer(window, kFrameTimer, kFrameMilliseconds, nullptr);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

}  // namespace demo
