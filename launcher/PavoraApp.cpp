#include "launcher/PavoraApp.h"

#include <commctrl.h>

#include "launcher/PavoraDlg.h"
#include "launcher/SingleInstance.h"

BOOL CPavoraApp::InitInstance()
{
    if (!launcher::ClaimSingleInstance()) {
        launcher::ShowRunningCopy();
        return FALSE;
    }
    INITCOMMONCONTROLSEX controls = {sizeof(controls), 0xFF};
    InitCommonControlsEx(&controls);
    CPavoraDlg dialog;
    dialog.DoModal();
    // The bar's modal loop was the program's; there is no message loop of its own.
    return FALSE;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    CPavoraApp app;
    return app.Run(instance);
}
