// The window a user works in while the quick tool bar sends it keys. It takes the focus,
// appends every key it receives to a log, and reports where the launcher's Quick button and
// the bar's buttons are on screen, whether it still has the focus and the state of the bar,
// so that a script can click with the real mouse and check the result.
//   KeyRecorder.exe LOGFILE
// Log lines: "self X Y", "quick X Y", "button ID X Y", "key MESSAGE VK SCAN", "close",
// "state fg=0|1 bar=0|1 right=0|1 double=0|1 top=Y" (only when it changes).
#include <windows.h>

#include <cstdio>
#include <string>

#include "core/resources/ToolBarDlg_rc.h"
#include "launcher/resource.h"

namespace {

FILE* g_log = nullptr;
HWND g_window = nullptr;
std::string g_lastState;
bool g_quickReported = false;
bool g_buttonsReported = false;

void Log(const std::string& line)
{
    fprintf(g_log, "%s\n", line.c_str());
    fflush(g_log);
}

POINT CentreOf(HWND control)
{
    RECT r{};
    GetWindowRect(control, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

BOOL CALLBACK FindLauncher(HWND window, LPARAM out)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() || !IsWindowVisible(window) || !GetDlgItem(window, IDC_BTN_QUICK)) return TRUE;
    *reinterpret_cast<HWND*>(out) = window;
    return FALSE;
}

void Report()
{
    if (!g_quickReported) {
        HWND launcher = nullptr;
        EnumWindows(FindLauncher, reinterpret_cast<LPARAM>(&launcher));
        if (launcher) {
            POINT p = CentreOf(GetDlgItem(launcher, IDC_BTN_QUICK));
            Log("quick " + std::to_string(p.x) + " " + std::to_string(p.y));
            g_quickReported = true;
        }
    }
    HWND bar = FindWindowW(nullptr, L"快捷工具条");
    bool shown = bar && IsWindowVisible(bar);
    if (shown && !g_buttonsReported) {
        const int ids[] = {IDC_TOOLBAR_RIGHT_CLICK, IDC_TOOLBAR_DOUBLE_CLICK, IDC_TOOLBAR_ESC, IDC_TOOLBAR_ALT_F4,
                           IDC_TOOLBAR_CUSTOM1,     IDC_TOOLBAR_CUSTOM2,      IDC_TOOLBAR_HIDE};
        for (int id : ids) {
            POINT p = CentreOf(GetDlgItem(bar, id));
            Log("button " + std::to_string(id) + " " + std::to_string(p.x) + " " + std::to_string(p.y));
        }
        g_buttonsReported = true;
    }
    RECT barRect{};
    if (bar) GetWindowRect(bar, &barRect);
    std::string state = "state fg=" + std::to_string(GetForegroundWindow() == g_window) +
                        " bar=" + std::to_string(shown) +
                        " right=" + std::to_string(bar && IsWindowEnabled(GetDlgItem(bar, IDC_TOOLBAR_RIGHT_CLICK))) +
                        " double=" + std::to_string(bar && IsWindowEnabled(GetDlgItem(bar, IDC_TOOLBAR_DOUBLE_CLICK))) +
                        " top=" + std::to_string(barRect.top);
    if (state != g_lastState) Log(state);
    g_lastState = state;
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP: {
        const char* name = message == WM_KEYDOWN ? "WM_KEYDOWN"
                           : message == WM_KEYUP ? "WM_KEYUP"
                           : message == WM_SYSKEYDOWN ? "WM_SYSKEYDOWN"
                                                      : "WM_SYSKEYUP";
        Log(std::string("key ") + name + " " + std::to_string(wParam) + " " + std::to_string((lParam >> 16) & 0xFF));
        break;
    }
    case WM_CLOSE:  // Alt+F4 must arrive here; the window stays for the rest of the run
        Log("close");
        return 0;
    case WM_TIMER:
        Report();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int)
{
    g_log = _wfopen(commandLine, L"ab");  // plain LF lines for the script
    if (!g_log) return 2;
    WNDCLASSW wc{};
    wc.lpfnWndProc = Procedure;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"PavoraKeyRecorder";
    RegisterClassW(&wc);
    g_window = CreateWindowExW(0, wc.lpszClassName, L"Key recorder", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 400, 100,
                               480, 320, nullptr, nullptr, instance, nullptr);
    SetForegroundWindow(g_window);
    SetFocus(g_window);
    POINT self = CentreOf(g_window);
    Log("self " + std::to_string(self.x) + " " + std::to_string(self.y));
    SetTimer(g_window, 1, 100, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    fclose(g_log);
    return 0;
}
