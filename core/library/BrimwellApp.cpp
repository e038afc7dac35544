#include "core/library/BrimwellApp.h"

#include <winsock2.h>
#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>

#include "core/text/LanguageTable.h"
#include "core/touch/SocketComm.h"

CBrimwellApp& TheApp()
{
    static CBrimwellApp app;
    return app;
}

BOOL CBrimwellApp::InitInstance()
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), 0xFF};
    InitCommonControlsEx(&controls);

    Gdiplus::GdiplusStartupInput gdiplusInput;
    Gdiplus::GdiplusStartup(&gdiplusToken_, &gdiplusInput, nullptr);

    LibrarySocketServer().StartSocketServer();

    tessaly::LanguageTable::Instance().Load();
    return TRUE;
}

int CBrimwellApp::ExitInstance()
{
    CSocketComm& server = LibrarySocketServer();
    if (processEnding) server.AbandonThreads();
    else if (server.serverMode) server.StopServer();
    else server.CloseListener();
    server.CleanupSockets();
    if (gdiplusToken_) Gdiplus::GdiplusShutdown(gdiplusToken_);
    gdiplusToken_ = 0;
    return 0;
}
