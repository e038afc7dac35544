// The reference for how fast a bare dialog program shows its window on this machine: a
// template like the launcher's bar, run with DialogBoxParamW and nothing else.
//   MiniDialog.exe [TITLE [SHEET-TITLE]]
// With a sheet title, its Settings button opens a bare five-page property sheet.
// Built a second time linked to Tessaly.dll (MiniDialogWithLibrary.exe): the same window
// after the library's load and start-up, which tells the start-up benchmark how much of
// the launcher's time is the library's.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <shellapi.h>

#include <initializer_list>

#include "tools/minidialog/resource.h"
#ifdef PAVORA_WITH_LIBRARY
#include "core/frame/TessalyApi.h"
#endif

namespace {

const wchar_t* g_sheetTitle = nullptr;

INT_PTR CALLBACK EmptyPage(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

void RunSheet(HWND owner)
{
    PROPSHEETPAGEW pages[5] = {};
    for (int i = 0; i < 5; ++i) {
        pages[i].dwSize = sizeof(pages[i]);
        pages[i].hInstance = GetModuleHandleW(nullptr);
        pages[i].pszTemplate = MAKEINTRESOURCEW(IDD_MINI_PAGE_FIRST + i);
        pages[i].pfnDlgProc = EmptyPage;
    }
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_HASHELP;
    header.hwndParent = owner;
    header.hInstance = GetModuleHandleW(nullptr);
    header.pszCaption = g_sheetTitle;
    header.nPages = 5;
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
#ifdef PAVORA_WITH_LIBRARY
    // Never true; binds the program to the library at load time.
    if (argc < 0) IsWindows7TouchMode();
#endif
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MINI_DIALOG), nullptr, DialogProc, reinterpret_cast<LPARAM>(title));
    LocalFree(argv);
    return 0;
}
