#include "core/frame/BrimwellApp.h"

#include <winsock2.h>
#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>

#include "core/text/LanguageTable.h"

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

    WSADATA data;
    socketsStarted_ = WSAStartup(MAKEWORD(2, 0), &data) == 0;

    tessaly::LanguageTable::Instance().Load();
    return TRUE;
}

int CBrimwellApp::ExitInstance()
{
    if (socketsStarted_) WSACleanup();
    socketsStarted_ = false;
    if (gdiplusToken_) Gdiplus::GdiplusShutdown(gdiplusToken_);
    gdiplusToken_ = 0;
    return 0;
}
