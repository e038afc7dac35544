// How long the settings sheet takes from the Settings click to a visible sheet, against a
// bare comctl32 sheet with six empty pages opened the same way by a bare dialog program.
// Prints both medians and their ratio (the goal is at most 1.2). A slow run is no
// failure; a sheet that never appears is.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/LauncherHarness.h"
#include "tests/support/WindowTiming.h"

using namespace e2e;

namespace {

constexpr int kRounds = 21;  // the first is a warm-up and not counted
constexpr double kTimeoutMs = 20000;

using testing_support::NowMs;

// Clicks the Settings button of `bar`, measures until a visible window titled `title`
// exists, then cancels it and waits until it is gone. -1 when it never appeared.
double TimeToSheet(HWND bar, const std::wstring& title)
{
    double start = NowMs();
    PostMessageW(bar, WM_COMMAND, MAKEWPARAM(kSettingsButton, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(bar, kSettingsButton)));
    HWND sheet = nullptr;
    double elapsed = testing_support::MsUntilShown(title, start, kTimeoutMs, sheet);
    if (!sheet) return -1;
    PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    for (int i = 0; i < 400 && IsWindow(sheet); ++i) Sleep(5);
    return elapsed;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main()
{
    StagedInstall install(L"SheetBenchmark");
    install.WriteConfig("[config]\r\nauto=0\r\nDEVICETYPE=1\r\ncheck360 =0\r\n[version]\r\nlanguage=1\r\n");
    std::wstring title = UniqueTitle();
    std::wstring sheetTitle = L"Sheet-" + title;
    install.WriteLanguage(L"6`" + title + L"` `" + title + L"`\n26`" + sheetTitle + L"` `" + sheetTitle + L"`\n");
    install.CopyProgram(L"MiniDialog.exe", L"MiniDialog.exe");
    SetEnvironmentVariableW(L"PAVORA_MESSAGEBOX_LOG", install.Path(L"messageboxes.log").c_str());

    RunningLauncher launcher(install, title);
    // Two bare programs: one whose sheet has empty pages, one whose sheet has the option
    // sheet's own page templates with nothing behind them.
    struct Bare {
        std::wstring title, sheet, pages;
        PROCESS_INFORMATION process = {};
        HWND bar = nullptr;
        std::vector<double> times;
    } bares[2] = {{title + L"-mini", sheetTitle + L"-mini", L"", {}, nullptr, {}},
                  {title + L"-pages", sheetTitle + L"-pages", install.Path(L"Tessaly.dll"), {}, nullptr, {}}};
    bool started = launcher.Bar() != nullptr;
    for (Bare& bare : bares) {
        std::wstring command = L"\"" + install.Path(L"MiniDialog.exe") + L"\" \"" + bare.title + L"\" \"" + bare.sheet + L"\"";
        if (!bare.pages.empty()) command += L" \"" + bare.pages + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        started = started && CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                            install.Folder().c_str(), &startup, &bare.process);
        if (started) bare.bar = StagedInstall::WaitForWindow(bare.title, 10000, false);
        started = started && bare.bar;
    }
    if (!started) {
        printf("no bar\n");
        return 1;
    }

    std::vector<double> ours;
    for (int round = 0; round < kRounds; ++round) {
        double a = TimeToSheet(launcher.Bar(), sheetTitle);
        double b = TimeToSheet(bares[0].bar, bares[0].sheet);
        double c = TimeToSheet(bares[1].bar, bares[1].sheet);
        if (a < 0 || b < 0 || c < 0) {
            printf("no sheet: %s\n", a < 0 ? "Pavora.exe" : "MiniDialog.exe");
            break;
        }
        if (round == 0) continue;
        ours.push_back(a);
        bares[0].times.push_back(b);
        bares[1].times.push_back(c);
    }
    for (Bare& bare : bares) {
        PostMessageW(bare.bar, WM_CLOSE, 0, 0);
        WaitForSingleObject(bare.process.hProcess, 10000);
        CloseHandle(bare.process.hProcess);
        CloseHandle(bare.process.hThread);
    }
    if (ours.empty()) return 1;
    double oursMedian = Median(ours), bareMedian = Median(bares[0].times), samePages = Median(bares[1].times);
    printf("Settings click to visible sheet, median of %d runs after a warm-up:\n", kRounds - 1);
    printf("  option sheet    %7.1f ms\n", oursMedian);
    printf("  bare sheet      %7.1f ms  (six empty pages)\n", bareMedian);
    printf("  bare, same pages%7.1f ms  (the option sheet's page templates, nothing behind them)\n", samePages);
    printf("  against the same pages %5.2f  (what the sheet and its pages add to comctl32's own work)\n",
           oursMedian / samePages);
    printf("  sheet ratio     %7.2f    (against empty pages, goal <= 1.20)\n", oursMedian / bareMedian);
    return 0;
}
