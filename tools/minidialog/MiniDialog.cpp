// The reference for how fast a bare dialog program shows its window on this machine: a
// template like the launcher's bar, run with DialogBoxParamW and nothing else.
//   MiniDialog.exe [TITLE [SHEET-TITLE [PAGES-MODULE]]]
// With a sheet title, its Settings button opens a bare six-page property sheet: empty
// pages, or with a module named, the settings sheet's own page templates from it, each
// with nothing behind it (what comctl32 alone costs for the same controls).
// Linked fully static, it is the least program a user could have. Built again importing
// every system DLL that the library imports (MiniDialogSystemDlls.exe): the floor that
// linking the library at load time allows. Built a third time linked to Tessaly.dll
// (MiniDialogWithLibrary.exe): the same window after the library's load and start-up,
// which tells the start-up benchmark how much of the launcher's time is the library's.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <shellapi.h>

#include <initializer_list>

#include "core/resources/EffectPageIds.h"
#include "core/resources/GeneralPageIds.h"
#include "core/resources/ScenePageIds.h"
#include "core/resources/SchedulePageIds.h"
#include "core/resources/ScreenManagePageIds.h"
#include "core/resources/VideoPageIds.h"
#include "tools/minidialog/resource.h"
#ifdef PAVORA_WITH_LIBRARY
#include "core/library/TessalyApi.h"
#endif
#ifdef PAVORA_WITH_SYSTEM_DLLS
#include <commdlg.h>
#include <newdev.h>
#include <objbase.h>
#include <setupapi.h>
#include <shlwapi.h>
#include <winsock2.h>
extern "C" void WINAPI GdiplusShutdown(ULONG_PTR token);
#endif

namespace {

const wchar_t* g_sheetTitle = nullptr;
HMODULE g_pages = nullptr;  // the module of the pages' templates, when not this program's

INT_PTR CALLBACK EmptyPage(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

void RunSheet(HWND owner)
{
    // In the settings sheet's order: video, general, effect, screen management, scene, schedule.
    const int sheetPages[6] = {IDD_VIDEO_PAGE, IDD_GENERAL_PAGE, IDD_EFFECT_PAGE, IDD_SCREEN_MANAGE_PAGE,
                               IDD_SCENE_PAGE, IDD_SCHEDULE_PAGE};
    PROPSHEETPAGEW pages[6] = {};
    for (int i = 0; i < 6; ++i) {
        pages[i].dwSize = sizeof(pages[i]);
        pages[i].hInstance = g_pages ? g_pages : GetModuleHandleW(nullptr);
        pages[i].pszTemplate = MAKEINTRESOURCEW(g_pages ? sheetPages[i] : IDD_MINI_PAGE_FIRST + i);
        pages[i].pfnDlgProc = EmptyPage;
    }
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_HASHELP;
    header.hwndParent = owner;
    header.hInstance = GetModuleHandleW(nullptr);
    header.pszCaption = g_sheetTitle;
    header.nPages = 6;
    header.ppsp = pages;
    PropertySheetW(&header);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowTextW(dialog, reinterpret_cast<const wchar_t*>(lParam));
        HWND box = GetDlgItem(dialog, 1002);
        for (const wchar_t* count : {L"4", L"16", L"25", L"36"})
            SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(count));
        SendMessageW(box, CB_SETCURSEL, 0, 0);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDCANCEL);
        if (LOWORD(wParam) == 1000 && g_sheetTitle) RunSheet(dialog);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), 0xFF};
    InitCommonControlsEx(&controls);
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const wchar_t* title = argc > 1 ? argv[1] : L"MiniDialog";
    if (argc > 2) g_sheetTitle = argv[2];
    if (argc > 3) g_pages = LoadLibraryExW(argv[3], nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
#ifdef PAVORA_WITH_LIBRARY
    // Never true; binds the program to the library at load time.
    if (argc < 0) IsWindows7TouchMode();
#endif
#ifdef PAVORA_WITH_SYSTEM_DLLS
    // Never true; one function of each system DLL of the library binds it at load time.
    if (argc < 0) {
        RegCloseKey(nullptr);
        GetOpenFileNameW(nullptr);
        GetStockObject(BLACK_BRUSH);
        GdiplusShutdown(0);
        UpdateDriverForPlugAndPlayDevicesW(nullptr, nullptr, nullptr, 0, nullptr);
        CoUninitialize();
        SetupDiDestroyDeviceInfoList(nullptr);
        PathFileExistsW(nullptr);
        WSACleanup();
    }
#endif
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MINI_DIALOG), nullptr, DialogProc, reinterpret_cast<LPARAM>(title));
    LocalFree(argv);
    return 0;
}
