// A stand-in effect program that misbehaves on request, for the launcher's supervision
// tests. Started without arguments (as the shell opens an effect), it reads what to do
// from "<its name>.fault" beside it: one line "[once] ACTION [MS] [VALUE]", after MS
// milliseconds of running normally:
//   exit CODE    end with this exit code
//   crash        write through a null pointer (an access violation nobody catches)
//   crashcode    end as a crash ends when the system shows no box: exit code 0xC0000005
//   hang         stop answering messages for good
//   hangsecond   a second window, on a thread of its own, stops answering; the first goes on
//   busy SECONDS stop answering for this long once, then go on
//   child        start a copy of itself (same program name) that runs normally
//   cover        no fault: the window covers the primary monitor, on top, as a real effect's
//   moving       no fault: covers as `cover` does, its picture always moving
//   dim          no fault: as `moving`, but dark grey (dim, not black)
//   black        as `moving`, then its picture goes black; it still answers
//   freeze       as `moving`, then its picture stands still; it still answers
//   beat PORT    sends the heartbeat "beat" to 127.0.0.1:PORT twice a second, then (after MS)
//                stops beating; it still answers
// "once" removes the file when it is read, so that a restarted copy behaves. Every start
// appends "<pid> <tick count>" to "<its name>.starts" beside it.
//
// A running copy also takes a command posted to its window: message kCommandMessage with
// wParam one of Command and lParam its value. The soak drives its faults that way.
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

const UINT kCommandMessage = WM_APP + 1;

enum Command : WPARAM {
    kExit = 1,         // lParam: the exit code
    kCrash = 2,        // a crash that shows no box, as under the error mode the launcher hands on
    kCrashDialog = 3,  // the error mode cleared first: the system's crash dialog comes up
    kHang = 4,
    kBusy = 5,         // lParam: milliseconds without an answer, then go on
    kPicture = 6,      // lParam: a Picture
    kBeat = 7,         // lParam: the port to beat to, twice a second; 0 stops the beating
};

enum Picture : LPARAM { kStill, kMoving, kDim, kBlack, kFrozen };
Picture g_picture = kStill;
unsigned g_phase = 0;
const UINT_PTR kFrameTimer = 1;

std::wstring g_base;  // full path without ".exe"

SOCKET g_beats = INVALID_SOCKET;
sockaddr_in g_beatTo{};
ULONGLONG g_nextBeat = 0;

void BeatTo(DWORD port)
{
    if (g_beats != INVALID_SOCKET) closesocket(g_beats), g_beats = INVALID_SOCKET;
    if (port == 0 || port > 65535) return;
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    g_beats = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    g_beatTo.sin_family = AF_INET;
    g_beatTo.sin_port = htons(static_cast<u_short>(port));
    g_beatTo.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    g_nextBeat = 0;
}

LONG WINAPI EndAsTheSystemWould(EXCEPTION_POINTERS* pointers)
{
    TerminateProcess(GetCurrentProcess(), pointers->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

void Crash(bool withDialog)
{
    // Wine neither hands the launcher's error mode (no crash box) to its children nor heeds
    // it: its debugger comes up for every crash. The crash without a box ends the process
    // with the exception's code itself, as Windows would under that error mode.
    if (withDialog) SetErrorMode(0);
    else SetUnhandledExceptionFilter(EndAsTheSystemWould);
    *static_cast<volatile int*>(nullptr) = 1;
}

void RunCommand(WPARAM command, LPARAM value)
{
    switch (command) {
    case kExit: ExitProcess(static_cast<UINT>(value));
    case kCrash: Crash(false); break;
    case kCrashDialog: Crash(true); break;
    case kHang: Sleep(INFINITE); break;
    case kBusy: Sleep(static_cast<DWORD>(value)); break;
    case kPicture: g_picture = static_cast<Picture>(value); break;
    case kBeat: BeatTo(static_cast<DWORD>(value)); break;
    default: break;
    }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kCommandMessage) {
        RunCommand(wParam, lParam);
        return 0;
    }
    if (message == WM_TIMER && wParam == kFrameTimer) {
        if (g_picture == kMoving || g_picture == kDim) {
            ++g_phase;
            InvalidateRect(hwnd, nullptr, FALSE);
        } else if (g_picture == kBlack) {
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    }
    if (message == WM_PAINT && g_picture != kStill) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        RECT all;
        GetClientRect(hwnd, &all);
        // Dim: grey 40 of 255 with a band of 70, both above the darkness a black picture has.
        bool dim = g_picture == kDim;
        HBRUSH ground = CreateSolidBrush(g_picture == kBlack ? RGB(0, 0, 0) : dim ? RGB(40, 40, 40) : RGB(255, 255, 255));
        FillRect(dc, &all, ground);
        DeleteObject(ground);
        if (g_picture != kBlack) {
            // A wide band that sweeps across: every look at the picture sees it moved.
            int width = all.right / 4 + 1;
            RECT band = all;
            band.left = static_cast<LONG>((g_phase * 37) % static_cast<unsigned>(all.right + 1));
            band.right = band.left + width;
            HBRUSH brush = CreateSolidBrush(dim ? RGB(70, 70, 70) : RGB(0, 0, 160));
            FillRect(dc, &band, brush);
            DeleteObject(brush);
        }
        EndPaint(hwnd, &paint);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
        DestroyWindow(hwnd);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND OpenWindow(const std::wstring& title, int x, bool cover = false)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"PavoraFaultyEffect";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClassW(&wc);
    if (cover)
        return CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, title.c_str(), WS_POPUP | WS_VISIBLE, 0, 0,
                               GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                               wc.hInstance, nullptr);
    return CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_POPUP | WS_VISIBLE, x, 0, 160, 120, nullptr,
                           nullptr, wc.hInstance, nullptr);
}

void AppendStart()
{
    FILE* file = _wfopen((g_base + L".starts").c_str(), L"ab");
    if (!file) return;
    std::fprintf(file, "%lu %llu\r\n", GetCurrentProcessId(), GetTickCount64());
    std::fclose(file);
}

DWORD WINAPI SecondWindowThread(void* hang)
{
    OpenWindow(L"second", 200);
    MSG msg;
    // 64-bit: a 32-bit end time can wrap past the count and end the wait at once.
    ULONGLONG until = GetTickCount64() + *static_cast<DWORD*>(hang);
    while (GetTickCount64() < until) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
    }
    Sleep(INFINITE);
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    wchar_t self[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    g_base = self;
    if (g_base.size() > 4) g_base.resize(g_base.size() - 4);

    char action[32] = "", once[8] = "";
    DWORD after = 0, value = 0;
    if (FILE* file = _wfopen((g_base + L".fault").c_str(), L"rb")) {
        char line[128] = "";
        if (std::fgets(line, sizeof(line), file)) {
            char first[32] = "";
            std::sscanf(line, "%31s", first);
            if (std::string(first) == "once") {
                std::sscanf(line, "%7s %31s %lu %lu", once, action, &after, &value);
            } else {
                std::sscanf(line, "%31s %lu %lu", action, &after, &value);
            }
        }
        std::fclose(file);
        if (once[0]) DeleteFileW((g_base + L".fault").c_str());
    }
    const std::string what = action;
    size_t slash = g_base.rfind(L'\\');
    bool pictured = what == "moving" || what == "dim" || what == "black" || what == "freeze";
    HWND window = OpenWindow(g_base.substr(slash + 1), 0, what == "cover" || pictured);
    if (pictured) {
        g_picture = what == "dim" ? kDim : kMoving;
        SetTimer(window, kFrameTimer, 100, nullptr);
    }
    AppendStart();

    if (what == "child") {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        std::wstring command = L"\"" + std::wstring(self) + L"\"";
        DeleteFileW((g_base + L".fault").c_str());
        if (CreateProcessW(self, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
    if (what == "hangsecond") {
        static DWORD hangAfter = after;
        CreateThread(nullptr, 0, SecondWindowThread, &hangAfter, 0, nullptr);
    }
    if (what == "beat") BeatTo(value);
    bool armed = !what.empty() && what != "child" && what != "hangsecond" && what != "cover" && what != "moving" &&
                 what != "dim";
    ULONGLONG start = GetTickCount64();
    MSG msg;
    for (;;) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (armed && GetTickCount64() - start >= after) {
            armed = false;
            if (what == "exit") ExitProcess(value);
            if (what == "crash") *static_cast<volatile int*>(nullptr) = 1;
            if (what == "crashcode") TerminateProcess(GetCurrentProcess(), 0xC0000005);
            if (what == "hang") Sleep(INFINITE);
            if (what == "busy") Sleep(value * 1000);
            if (what == "black") g_picture = kBlack;
            if (what == "freeze") g_picture = kFrozen;
            if (what == "beat") BeatTo(0);
        }
        if (g_beats != INVALID_SOCKET && GetTickCount64() >= g_nextBeat) {
            sendto(g_beats, "beat", 4, 0, reinterpret_cast<const sockaddr*>(&g_beatTo), sizeof(g_beatTo));
            g_nextBeat = GetTickCount64() + 500;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    (void)window;
}
