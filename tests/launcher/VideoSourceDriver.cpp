// The video page of the real launcher and the manual calibration window of the real
// library, on the infrared light, clicked with the real mouse by the calling script:
//   pavora_video_source_driver.exe LANGUAGE OUTPUT-FOLDER LOG-FILE
// Writes the screen points to click to LOG-FILE ("<window> confirm X Y", "<window> area X Y"),
// waits for LOG-FILE.<window>-done, then checks the recorded message boxes and logs
// "ok ..." or "FAIL ...". Screenshots: video-<language>-page.bmp, video-<language>-calibration.bmp.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <string>

#include "tests/support/WindowImage.h"
#include "tests/support/LauncherHarness.h"

using namespace e2e;

namespace {

const wchar_t kMissingPoint[] = L"请点击视频源内蓝色的圈中心所在点";

std::wstring logPath;
int failures = 0;

void Log(const std::string& line)
{
    std::string bytes = FileExists(logPath) ? ReadBytes(logPath) : std::string();
    WriteBytes(logPath, bytes + line + "\n");
    printf("%s\n", line.c_str());
    fflush(stdout);
}

void Check(bool ok, const std::string& what)
{
    Log((ok ? "ok    " : "FAIL  ") + what);
    if (!ok) ++failures;
}

POINT Centre(HWND control)
{
    RECT rect;
    GetWindowRect(control, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void LogPoint(const std::string& window, const char* name, POINT point)
{
    Log(window + " " + name + " " + std::to_string(point.x) + " " + std::to_string(point.y));
}

bool WaitForDone(const std::string& window)
{
    std::wstring done = logPath + L"." + std::wstring(window.begin(), window.end()) + L"-done";
    for (int i = 0; i < 600; ++i) {
        if (FileExists(done)) return true;
        Pump(100);
    }
    return false;
}

size_t MissingPointBoxes(const StagedInstall& install)
{
    size_t count = 0;
    for (const MessageBoxRecord& box : install.MessageBoxes())
        if (box.text == kMissingPoint && box.caption == L"tips" && (box.type & MB_ICONEXCLAMATION)) ++count;
    return count;
}

// Confirm before any click asks for a point; a click in the camera area, then confirm, does not.
void ClickThrough(StagedInstall& install, HWND window, HWND confirm, HWND area, const std::string& name,
                  size_t boxesBefore)
{
    RECT rect;
    GetWindowRect(area, &rect);
    LogPoint(name, "confirm", Centre(confirm));
    LogPoint(name, "area", {rect.left + (rect.right - rect.left) / 3, rect.top + (rect.bottom - rect.top) / 3});
    if (!WaitForDone(name)) {
        Check(false, name + ": the clicks did not come");
        return;
    }
    install.WaitForMessageBoxes(boxesBefore + 1, 3000);
    Pump(300);
    Check(MissingPointBoxes(install) == boxesBefore + 1,
          name + ": one missing-point message, for the confirm before the click (" +
              std::to_string(MissingPointBoxes(install) - boxesBefore) + ")");
    (void)window;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 4) return 2;
    int language = _wtoi(argv[1]);
    std::wstring output = argv[2];
    logPath = argv[3];
    std::wstring prefix = output + L"\\video-" + std::to_wstring(language) + L"-";

    StagedInstall install(L"VideoSource" + std::to_wstring(language));
    install.WriteConfig("[config]\r\nauto=0\r\nDEVICETYPE=0\r\ncheck360 =0\r\n[version]\r\nlanguage=" +
                        std::to_string(language) + "\r\n");
    std::wstring title = install.UseUniqueTitle();
    {
        RunningLauncher launcher(install, title);
        if (!launcher.Bar()) return 3;
        HWND sheet = launcher.OpenSettingsSheet();
        if (!sheet) return 4;
        HWND page = nullptr;
        for (HWND child = nullptr; (child = FindWindowExW(sheet, child, L"#32770", nullptr));)
            if (IsWindowVisible(child)) page = child;
        SetForegroundWindow(sheet);
        Pump(700);
        testing_support::SaveWindowImage(sheet, prefix + L"page.bmp");
        ClickThrough(install, page, GetDlgItem(page, 5060), GetDlgItem(page, 5000), "page", 0);
        PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        for (int i = 0; i < 100 && IsWindow(sheet); ++i) Pump(50);
    }

    install.CopyProgram(L"CalibrationCaller.exe", L"CalibrationCaller.exe");
    HANDLE caller = install.Launch(L"CalibrationCaller.exe");
    HWND dialog = StagedInstall::WaitForWindow(L"手动标定", 15000);
    if (!dialog) {
        Check(false, "calibration: no window");
        return 1;
    }
    RECT rect;
    GetWindowRect(dialog, &rect);
    Check(rect.right - rect.left == 640, "calibration: as wide as the staged camera frame (" +
                                             std::to_string(rect.right - rect.left) + ")");
    Pump(700);
    testing_support::SaveWindowImage(dialog, prefix + L"calibration.bmp");
    ClickThrough(install, dialog, GetDlgItem(dialog, 5060), GetDlgItem(dialog, 5089), "calibration", 1);
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    Check(WaitForExit(caller, 10000), "calibration: the call returns when the window closes");
    Log(failures ? "done with failures" : "done");
    return failures ? 1 : 0;
}
