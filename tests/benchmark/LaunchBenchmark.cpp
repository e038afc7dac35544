// How long the launcher takes from CreateProcessW to a visible bar, against a bare dialog
// program whose template is like the bar's, started the same way from the same folder.
// Prints both medians and their ratio (the goal is at most 1.5). A slow run is no
// failure; a window that never appears is.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/LauncherHarness.h"

using namespace e2e;

namespace {

constexpr int kRounds = 7;  // the first of each is a warm-up and not counted
constexpr double kTimeoutMs = 30000;

double NowMs()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Starts the program, measures until a visible window with `title` exists, then closes
// it and waits for the process to end. -1 when no window appeared.
double TimeToWindow(std::wstring commandLine, const std::wstring& folder, const std::wstring& title)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    double start = NowMs();
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &info))
        return -1;
    CloseHandle(info.hThread);
    double elapsed = -1;
    HWND window = nullptr;
    while (NowMs() - start < kTimeoutMs) {
        window = FindWindowW(nullptr, title.c_str());
        if (window && IsWindowVisible(window)) {
            elapsed = NowMs() - start;
            break;
        }
        Sleep(1);
    }
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, 5000);
    }
    CloseHandle(info.hProcess);
    return elapsed;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::string Join(const std::vector<double>& values)
{
    std::string text;
    char number[32];
    for (double value : values) {
        snprintf(number, sizeof(number), "%s%.0f", text.empty() ? "" : " ", value);
        text += number;
    }
    return text;
}

}  // namespace

int main()
{
    StagedInstall install(L"LaunchBenchmark");
    install.WriteConfig("[config]\r\nauto=0\r\nDEVICETYPE=0\r\ncheck360 =0\r\n");
    std::wstring title = UniqueTitle();
    WriteBarLanguage(install, title);
    install.CopyProgram(L"MiniDialog.exe", L"MiniDialog.exe");
    // Message boxes would wait for a click; recorded instead.
    SetEnvironmentVariableW(L"PAVORA_MESSAGEBOX_LOG", install.Path(L"messageboxes.log").c_str());

    std::wstring miniTitle = title + L"-mini";
    std::wstring launcher = L"\"" + install.Path(L"Pavora.exe") + L"\"";
    std::wstring mini = L"\"" + install.Path(L"MiniDialog.exe") + L"\" \"" + miniTitle + L"\"";

    std::vector<double> launcherTimes, miniTimes;
    for (int round = 0; round < kRounds; ++round) {
        double a = TimeToWindow(launcher, install.Folder(), title);
        double b = TimeToWindow(mini, install.Folder(), miniTitle);
        if (a < 0 || b < 0) {
            printf("no window: %s\n", a < 0 ? "Pavora.exe" : "MiniDialog.exe");
            return 1;
        }
        if (round == 0) continue;
        launcherTimes.push_back(a);
        miniTimes.push_back(b);
    }
    double launcherMedian = Median(launcherTimes), miniMedian = Median(miniTimes);
    printf("CreateProcessW to visible window, median of %d runs after a warm-up:\n", kRounds - 1);
    printf("  Pavora.exe      %7.1f ms  (%s)\n", launcherMedian, Join(launcherTimes).c_str());
    printf("  MiniDialog.exe  %7.1f ms  (%s)\n", miniMedian, Join(miniTimes).c_str());
    printf("  ratio           %7.2f    (goal <= 1.50)\n", launcherMedian / miniMedian);
    return 0;
}
