// A stand-in for the touch simulator, which is started without arguments: it opens its
// "Pellux" window a little after it starts, as the real one does once it is ready, and
// runs until it is terminated or its window is closed. Tests copy it as "Pellux.exe".
//
// Since it gets no arguments, the environment it inherits from the test says how long it
// takes: PAVORA_SIMULATOR_DELAY in milliseconds (default 300), or "never" for a
// simulator whose window never appears.
#include <windows.h>

#include <cwchar>

namespace {

const DWORD kDefaultDelay = 300;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    wchar_t delay[32] = L"";
    GetEnvironmentVariableW(L"PAVORA_SIMULATOR_DELAY", delay, 32);
    if (wcscmp(delay, L"never") == 0) {
        for (;;) Sleep(INFINITE);  // only ending the process ends it
    }
    Sleep(delay[0] ? static_cast<DWORD>(_wtoi(delay)) : kDefaultDelay);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"PavoraStandInSimulator";
    RegisterClassW(&wc);
    CreateWindowExW(0, wc.lpszClassName, L"Pellux", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                    nullptr, instance, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
