// The standby window as the projection shows it (needs a real display): a playlist whose
// programs are all missing gives the picture data\images\standby.png centred on black; the
// window goes once a program is back.
//   pavora_standby_shot.exe OUTPUT-FOLDER
// Writes standby.bmp and says what it saw.
#include <windows.h>
#include <objidl.h>

#include <algorithm>
using std::max;
using std::min;
#include <gdiplus.h>

#include <cstdio>
#include <string>

#include "tests/support/WindowImage.h"
#include "tests/support/LauncherHarness.h"

using namespace e2e;

namespace {

const COLORREF kPicture = RGB(0x20, 0xC0, 0x40);

// A 200 × 120 picture of one colour, as PNG.
bool WritePicture(const std::wstring& path)
{
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
    bool ok = false;
    {
        Gdiplus::Bitmap bitmap(200, 120, PixelFormat24bppRGB);
        Gdiplus::Graphics graphics(&bitmap);
        Gdiplus::SolidBrush brush(Gdiplus::Color(GetRValue(kPicture), GetGValue(kPicture), GetBValue(kPicture)));
        graphics.FillRectangle(&brush, 0, 0, 200, 120);
        const CLSID png = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
        ok = bitmap.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok;
    }
    Gdiplus::GdiplusShutdown(token);
    return ok;
}

bool Near(COLORREF a, COLORREF b)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= 2 && std::abs(GetGValue(a) - GetGValue(b)) <= 2 &&
           std::abs(GetBValue(a) - GetBValue(b)) <= 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    std::wstring output = argc > 1 ? argv[1] : BinFolder();
    StagedInstall install(L"StandbyShot");
    install.WriteConfig("[config]\r\nauto=1\r\nDEVICETYPE=0\r\ncheck360 =0\r\n");
    WritePlaylist(install, {{install.Path(L"effects\\gone\\One.exe"), "5"}, {install.Path(L"effects\\gone\\Two.exe"), "5"}});
    if (!WritePicture(install.Path(L"data\\images\\standby.png"))) std::printf("could not write the picture\n");
    std::wstring title = install.UseUniqueTitle();
    RunningLauncher launcher(install, title);
    if (!launcher.Bar()) return 2;
    HWND standby = nullptr;
    for (int i = 0; i < 100 && !(standby = FindWindowW(L"PavoraStandby", nullptr)); ++i) Pump(50);
    if (!standby) {
        std::printf("no standby window\n");
        return 1;
    }
    Pump(1000);
    testing_support::SaveWindowImage(standby, output + L"\\standby.bmp");
    HDC screen = GetDC(nullptr);
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    COLORREF centre = GetPixel(screen, width / 2, height / 2);
    COLORREF inside = GetPixel(screen, width / 2 - 95, height / 2 - 55);
    COLORREF outside = GetPixel(screen, width / 2 - 110, height / 2);
    COLORREF corner = GetPixel(screen, width - 5, height - 5);
    ReleaseDC(nullptr, screen);
    std::printf("centre %06lx, picture's corner %06lx, beside it %06lx, screen corner %06lx\n", centre, inside,
                outside, corner);
    int status = 0;
    if (Near(centre, kPicture) && Near(inside, kPicture) && Near(outside, 0) && Near(corner, 0))
        std::printf("standby picture centred on black\n");
    else
        status = 1;

    // One program back: the next check of the standby plays it.
    CreateDirectoryW(install.Path(L"effects\\gone").c_str(), nullptr);
    install.CopyProgram(L"pavora_faulty_effect.exe", L"effects\\gone\\Two.exe");
    launcher.Timer(7);
    for (int i = 0; i < 100 && FindWindowW(L"PavoraStandby", nullptr); ++i) Pump(50);
    bool gone = !FindWindowW(L"PavoraStandby", nullptr);
    bool plays = WaitForProcessCount(L"Two.exe", 1, 5000);
    if (gone && plays) std::printf("standby gone once an entry can play\n");
    else status = 1;
    KillProcesses(L"Two.exe");
    std::fflush(stdout);
    return status;
}
