// The effect page's add button with the real file dialog, driven by typed names (the
// script types them with xdotool when this program says so):
//   pavora_file_dialog_driver.exe MARKER-FILE
// Writes MARKER-FILE once the dialog is open; exit code 0 when both typed files were added
// with the page's time and saved to the playlist when the sheet was cancelled.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <string>

#include "tests/support/LauncherHarness.h"

using namespace e2e;

namespace {

int Fail(const char* what)
{
    printf("file dialog: %s\n", what);
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) return 2;
    StagedInstall install(L"FileDialogDriver");
    install.WriteConfig("[config]\r\nauto=0\r\nDEVICETYPE=1\r\ncheck360 =0\r\n[version]\r\nlanguage=1\r\n");
    WriteBytes(install.Path(L"Alpha.cmd"), "@echo off\r\n");
    install.CopyProgram(L"MiniDialog.exe", L"Beta.exe");
    std::wstring title = install.UseUniqueTitle();
    RunningLauncher launcher(install, title);
    if (!launcher.Bar()) return Fail("no bar");
    HWND sheet = launcher.OpenSettingsSheet();
    if (!sheet) return Fail("no sheet");
    SelectSheetPage(sheet, 2);
    HWND page = PropSheet_GetCurrentPageHwnd(sheet);
    HWND rows = GetDlgItem(page, 5031);
    if (!rows) return Fail("no effect page");
    LRESULT before = SendMessageW(rows, LVM_GETITEMCOUNT, 0, 0);
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(GetDlgItem(page, 5077), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"2"), SMTO_ABORTIFHUNG,
                        5000, &answer);
    PostMessageW(GetDlgItem(page, 5070), BM_CLICK, 0, 0);

    // A child's owned window belongs to its top-level window.
    HWND dialog = WaitForOwnedDialog(sheet);
    if (!dialog) return Fail("no file dialog");
    SetForegroundWindow(dialog);
    Pump(500);
    WriteBytes(argv[1], "open");
    for (int i = 0; i < 400 && IsWindow(dialog); ++i) Pump(50);
    if (IsWindow(dialog)) {
        PostMessageW(dialog, WM_CLOSE, 0, 0);
        return Fail("the dialog stayed open");
    }
    launcher.Sync();
    LRESULT after = SendMessageW(rows, LVM_GETITEMCOUNT, 0, 0);
    PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    for (int i = 0; i < 100 && IsWindow(sheet); ++i) Pump(50);
    if (after != before + 2) return Fail("the two files were not added");
    std::string playlist = ReadBytes(install.Path(L"data\\EffectPath.xml"));
    bool saved = playlist.find("Alpha.cmd</file>") != std::string::npos &&
                 playlist.find("Beta.exe</file>") != std::string::npos &&
                 playlist.find("<time>2.0</time>") != std::string::npos;
    if (!saved) return Fail("not saved to the playlist in the installation folder");
    printf("file dialog: two files added and saved\n");
    return 0;
}
