#include "launcher/PavoraApp.h"

#include <commctrl.h>

#include "launcher/PavoraDlg.h"
#include "launcher/SingleInstance.h"
#include "launcher/guardian/RestartNote.h"

BOOL CPavoraApp::InitInstance()
{
    launcher::RestartNote restart = launcher::ReadRestartNote(GetCommandLineW());
    // The copy the guardian ended may take a moment to be gone entirely.
    bool claimed = launcher::ClaimSingleInstance();
    for (int tries = 0; !claimed && !restart.why.empty() && tries < 50; ++tries) {
        Sleep(100);
        claimed = launcher::ClaimSingleInstance();
    }
    if (!claimed) {
        // Nobody may be there to close a box when the guardian started this one.
        if (restart.why.empty()) launcher::ShowRunningCopy();
        return FALSE;
    }
    INITCOMMONCONTROLSEX controls = {sizeof(controls), 0xFF};
    InitCommonControlsEx(&controls);
    CPavoraDlg dialog(restart);
    dialog.DoModal();
    // The bar's modal loop was the program's; there is no message loop of its own.
    return FALSE;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    CPavoraApp app;
    return app.Run(instance);
}
