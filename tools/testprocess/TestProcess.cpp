// A stand-in for the outside programs that the system starts, finds and ends
// (keep-awake program, security programs, simulator, effect shells). Tests copy it
// under the names they need.
//
//   --window TITLE   open a top-level window with this title
//   --class NAME     window class name (default "PavoraTestProcess")
//   --delay MS       wait this long before opening the window
//   --exit-after MS  end by itself after this long
//   --record FILE    append the process's command line and current directory to FILE
// Without --exit-after it runs until it is terminated or its window is closed.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void Record(const std::wstring& file)
{
    wchar_t directory[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, directory);
    std::wstring line = std::wstring(GetCommandLineW()) + L"\t" + directory + L"\r\n";
    HANDLE handle = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return;
    int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, &bytes[0], size, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size() - 1), &written, nullptr);
    CloseHandle(handle);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::wstring title, className = L"PavoraTestProcess", record;
    bool window = false;
    DWORD delay = 0, exitAfter = 0;
    for (int i = 1; i + 1 < argc; ++i) {
        std::wstring option = argv[i];
        if (option == L"--window") window = true, title = argv[++i];
        else if (option == L"--class") className = argv[++i];
        else if (option == L"--delay") delay = static_cast<DWORD>(_wtoi(argv[++i]));
        else if (option == L"--exit-after") exitAfter = static_cast<DWORD>(_wtoi(argv[++i]));
        else if (option == L"--record") record = argv[++i];
    }
    LocalFree(argv);

    if (!record.empty()) Record(record);
    if (exitAfter) SetTimer(nullptr, 0, exitAfter, nullptr);
    if (delay) Sleep(delay);
    if (window) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = className.c_str();
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        RegisterClassW(&wc);
        CreateWindowExW(0, className.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                        nullptr, nullptr, instance, nullptr);
    }

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr) break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
