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

std::wstring CBrimwellApp::Title() const
{
    wchar_t path[MAX_PATH + 1] = L"";
    DWORD length = GetModuleFileNameW(Instance(), path, MAX_PATH);
    std::wstring name(path, length < MAX_PATH ? length : 0);
    size_t slash = name.rfind(L'\\');
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return name;
}

int CBrimwellApp::ExitInstance()
{
    if (socketsStarted_) WSACleanup();
    socketsStarted_ = false;
    if (gdiplusToken_) Gdiplus::GdiplusShutdown(gdiplusToken_);
    gdiplusToken_ = 0;
    return 0;
}
