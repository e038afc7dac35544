// Screenshots of the settings sheet on each of its pages, in one language, taken from the
// screen as the user sees it (needs a real display):
//   pavora_sheet_shots.exe LANGUAGE OUTPUT-FOLDER
// Writes sheet-<language>-<page>.bmp; exit code 0 when every page was shot.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/WindowImage.h"
#include "tests/support/LauncherHarness.h"

using namespace e2e;

namespace {

// The camera named in the system's code page, so that the shot shows its conversion.
void ShowSecondCamera(HWND sheet)
{
    const int kCameraList = 5061;
    for (HWND page = GetWindow(sheet, GW_CHILD); page; page = GetWindow(page, GW_HWNDNEXT)) {
        HWND combo = GetDlgItem(page, kCameraList);
        if (!combo) continue;
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(combo, CB_SETCURSEL, 1, 0, SMTO_ABORTIFHUNG, 5000, &answer);
        SendMessageTimeoutW(page, WM_COMMAND, MAKEWPARAM(kCameraList, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo),
                            SMTO_ABORTIFHUNG, 5000, &answer);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const int kPages = 6;
    int language = argc > 1 ? _wtoi(argv[1]) : 1;
    std::wstring output = argc > 2 ? argv[2] : BinFolder();
    StagedInstall install(L"SheetShots" + std::to_wstring(language));
    install.WriteConfig("[config]\r\nauto=0\r\nDEVICETYPE=1\r\ncheck360 =0\r\n[version]\r\nlanguage=" +
                        std::to_string(language) + "\r\ndebug=1\r\n" +
                        "[copyright]\r\ncompany=Pavora interactive projection\r\n"
                        "contact=Support: support@pavora.example\r\nhelp=help\\index.html\r\n");
    // Three cameras for the screen management page, the second named in the system's code page.
    WriteBytes(install.Path(L"data\\multiplexer_settings.xml"),
               "<MULTIPLEXER><CAMERAS>"
               "<CAMERA><GUID>{6A1B2C3D-0000-4000-8000-000000000001}</GUID><TYPE>PS3</TYPE><INDEX>1</INDEX>"
               "<USED>1</USED><cameraname>PS3 Eye 1</cameraname></CAMERA>"
               "<CAMERA><GUID>{6A1B2C3D-0000-4000-8000-000000000002}</GUID><TYPE>CMU</TYPE><INDEX>2</INDEX>"
               "<USED>0</USED><cameraname>\xc9\xe3\xcf\xf1\xcd\xb7 2</cameraname></CAMERA>"
               "<CAMERA><GUID>{6A1B2C3D-0000-4000-8000-000000000003}</GUID><TYPE>PS3</TYPE><INDEX>3</INDEX>"
               "<USED>1</USED><cameraname>PS3 Eye 3</cameraname></CAMERA>"
               "</CAMERAS></MULTIPLEXER>");
    std::wstring title = install.UseUniqueTitle();
    RunningLauncher launcher(install, title);
    if (!launcher.Bar()) return 2;
    // A week with closed nights, a holiday and a projector for the schedule page, written once
    // the launcher runs so that it does not play by it.
    WriteBytes(install.Path(L"data\\Schedule.xml"),
               "<Schedule>\n"
               "  <Window days=\"12345\" from=\"09:00\" to=\"12:00\" playlist=\"data\\EffectPath.xml\" />\n"
               "  <Window days=\"1234567\" from=\"12:00\" to=\"22:00\" playlist=\"data\\Evening.xml\" />\n"
               "  <Window days=\"1234567\" from=\"22:00\" to=\"08:30\" off=\"1\" />\n"
               "  <Day date=\"2026-12-25\" off=\"1\" />\n"
               "</Schedule>\n");
    WriteBytes(install.Path(L"Bin\\config.ini"), ReadBytes(install.Path(L"Bin\\config.ini")) +
                                                     "[projector]\r\naddress=192.168.1.20, 192.168.1.21:4352\r\n");
    HWND sheet = launcher.OpenSettingsSheet();
    if (!sheet) return 3;
    int shots = 0;
    for (int page = 0; page < kPages; ++page) {
        SelectSheetPage(sheet, page);
        if (page == 3) ShowSecondCamera(sheet);
        SetForegroundWindow(sheet);
        Pump(700);
        std::wstring path = output + L"\\sheet-" + std::to_wstring(language) + L"-" + std::to_wstring(page) + L".bmp";
        if (testing_support::SaveWindowImage(sheet, path)) ++shots;
    }
    PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    for (int i = 0; i < 100 && IsWindow(sheet); ++i) Pump(50);
    printf("%d screenshots\n", shots);
    return shots == kPages ? 0 : 1;
}
