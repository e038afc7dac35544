#include "launcher/PavoraApp.h"

#include <commctrl.h>

#include "launcher/PavoraDlg.h"

BOOL CPavoraApp::InitInstance()
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), 0xFF};
    InitCommonControlsEx(&controls);
    CPavoraDlg dialog;
    dialog.DoModal();
    return FALSE;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    CPavoraApp app;
    return app.Run(instance);
}
