#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>

#include <string>
#include <vector>

#include "core/settings/CBitmapEx.h"
#include "core/settings/CLabel.h"
#include "tests/support/DibCanvas.h"
#include "tests/support/ScratchFolder.h"

namespace {

using Canvas = testing_support::DibCanvas;

// A parent window of our own that records what its children send it.
class Parent {
public:
    Parent()
    {
        WNDCLASSW type = {};
        type.lpfnWndProc = Proc;
        type.hInstance = GetModuleHandleW(nullptr);
        type.lpszClassName = L"LabelTestParent";
        RegisterClassW(&type);
        window_ = CreateWindowExW(0, L"LabelTestParent", L"", WS_POPUP, 0, 0, 400, 200, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Parent() { DestroyWindow(window_); }
    HWND Handle() const { return window_; }
    // A static child with the given style and text, in the dialog font.
    HWND AddStatic(const wchar_t* text, DWORD style, int width = 200, int height = 40)
    {
        HWND child = CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE | style, 0, 0, width, height, window_,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(100)), GetModuleHandleW(nullptr),
                                     nullptr);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        return child;
    }
    std::vector<UINT> linkMessages;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<Parent*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && message == CLabel::kLinkClicked && wParam == 0 && lParam == 0) self->linkMessages.push_back(message);
        return DefWindowProcW(window, message, wParam, lParam);
    }
    HWND window_;
};

void PaintInto(CLabel& label, Canvas& canvas)
{
    SendMessageW(label.Window(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT);
}

bool WaitForFile(const std::wstring& path)
{
    for (int i = 0; i < 200; ++i) {
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
        Sleep(50);
    }
    return false;
}

TEST(Label, TakesOverTheControlsTextFontAndToolTip)
{
    Parent parent;
    CLabel label;
    ASSERT_TRUE(label.Subclass(parent.AddStatic(L"Help", SS_LEFT)));
    EXPECT_EQ(label.ToolTipText(), L"Help");
    ASSERT_NE(label.ToolTip(), nullptr);
    EXPECT_EQ(SendMessageW(label.ToolTip(), TTM_GETTOOLCOUNT, 0, 0), 1);
    LOGFONTW font = {};
    GetObjectW(label.Font(), sizeof(font), &font);
    EXPECT_FALSE(font.lfUnderline);

    label.SetLink(true);
    GetObjectW(label.Font(), sizeof(font), &font);
    EXPECT_TRUE(font.lfUnderline) << "a link's font is rebuilt underlined";
    EXPECT_TRUE(label.IsLink());

    EXPECT_TRUE(label.SetMode(1));
    EXPECT_FALSE(label.SetMode(5));
    EXPECT_EQ(label.Mode(), 3);
}

TEST(Label, LinkWithoutTargetTellsTheParentAndOneWithTargetOpensIt)
{
    testing_support::ScratchFolder folder(L"LabelLink");
    Parent parent;
    CLabel label;
    ASSERT_TRUE(label.Subclass(parent.AddStatic(L"Help", SS_LEFT | SS_NOTIFY)));
    label.SetLink(true);
    SendMessageW(label.Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(parent.linkMessages.size(), 1u);

    folder.Write(L"open.cmd", "@echo opened> opened.txt\r\n");
    label.SetLinkTarget(folder.Path() + L"\\open.cmd");
    SendMessageW(label.Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(parent.linkMessages.size(), 1u) << "a target is opened instead";
    EXPECT_TRUE(WaitForFile(folder.Path() + L"\\opened.txt"));
}

TEST(Label, PaintsInItsColourWithTheStaticsAlignment)
{
    const COLORREF red = RGB(200, 0, 0);
    Parent parent;
    struct Case {
        DWORD style;
        int left, right;  // the third of the width the text must stay in
    } cases[] = {{SS_LEFT, 0, 100}, {SS_CENTER, 50, 250}, {SS_RIGHT, 200, 300}};
    for (const Case& c : cases) {
        CLabel label;
        ASSERT_TRUE(label.Subclass(parent.AddStatic(L"WWW", c.style, 300, 30)));
        label.SetTextColor(red);
        Canvas canvas(300, 30);
        PaintInto(label, canvas);
        EXPECT_GT(canvas.Count(red), 0) << "style " << c.style;
        EXPECT_EQ(canvas.Count(red), canvas.Count(red, c.left, 0, c.right, 30)) << "style " << c.style;
        // One line, centred vertically: nothing in the top and bottom rows.
        EXPECT_EQ(canvas.Count(red, 0, 0, 300, 5), 0);
        EXPECT_EQ(canvas.Count(red, 0, 25, 300, 30), 0);
        DestroyWindow(label.Window());
    }
}

TEST(Label, DisabledBlinkingAndMultiLinePainting)
{
    const COLORREF red = RGB(200, 0, 0);
    Parent parent;
    CLabel label;
    ASSERT_TRUE(label.Subclass(parent.AddStatic(L"WWW", SS_LEFT, 300, 30)));
    label.SetTextColor(red);

    EnableWindow(label.Window(), FALSE);
    {
        Canvas canvas(300, 30);
        PaintInto(label, canvas);
        EXPECT_EQ(canvas.Count(red), 0);
        EXPECT_GT(canvas.Count(GetSysColor(COLOR_INACTIVECAPTIONTEXT)), 0);
    }
    EnableWindow(label.Window(), TRUE);

    ASSERT_TRUE(label.SetMode(1));
    {
        Canvas canvas(300, 30);
        PaintInto(label, canvas);
        EXPECT_EQ(canvas.Touched(), 0) << "blinking, phase off";
    }
    SendMessageW(label.Window(), WM_TIMER, CLabel::kBlinkTimer, 0);
    EXPECT_EQ(label.BlinkPhase(), 1);
    {
        Canvas canvas(300, 30);
        PaintInto(label, canvas);
        EXPECT_GT(canvas.Count(red), 0) << "blinking, phase on";
    }
    label.SetMode(5);
    SendMessageW(label.Window(), WM_TIMER, CLabel::kBlinkTimer, 0);
    {
        Canvas canvas(300, 30);
        PaintInto(label, canvas);
        EXPECT_GT(canvas.Count(red), 0) << "a refused mode draws steadily";
    }

    SetWindowTextW(label.Window(), L"WWW\nWWW");
    Canvas canvas(300, 60);
    SetWindowPos(label.Window(), nullptr, 0, 0, 300, 60, SWP_NOZORDER);
    PaintInto(label, canvas);
    TEXTMETRICW metrics = {};
    {
        HDC dc = GetDC(label.Window());
        HGDIOBJ old = SelectObject(dc, label.Font());
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, old);
        ReleaseDC(label.Window(), dc);
    }
    int h = metrics.tmHeight;
    EXPECT_GT(canvas.Count(red, 0, 0, 300, h), 0) << "first line at the top";
    EXPECT_GT(canvas.Count(red, 0, h, 300, 2 * h), 0) << "second line one text height lower";
    EXPECT_EQ(canvas.Count(red, 0, 2 * h, 300, 60), 0);
    EXPECT_EQ(canvas.Count(red, 100, 0, 300, 60), 0) << "lines start at the left";
}

// GDI+ for the pictures, as the library has it while loaded.
class Bitmaps : public testing::Test {
protected:
    void SetUp() override
    {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token_, &input, nullptr);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(token_); }

    // A 12 x 7 PNG: green, with a blue top-left pixel.
    static void WritePicture(const std::wstring& path)
    {
        Gdiplus::Bitmap picture(12, 7, PixelFormat32bppARGB);
        for (UINT y = 0; y < 7; ++y)
            for (UINT x = 0; x < 12; ++x) picture.SetPixel(x, y, Gdiplus::Color(255, 0, 160, 0));
        picture.SetPixel(0, 0, Gdiplus::Color(255, 0, 0, 255));
        const CLSID png = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
        ASSERT_EQ(picture.Save(path.c_str(), &png, nullptr), Gdiplus::Ok);
    }

    ULONG_PTR token_ = 0;
};

TEST_F(Bitmaps, DrawsAPictureAtItsOwnSizeAndRemembersWhere)
{
    testing_support::ScratchFolder folder(L"BitmapEx");
    std::wstring path = folder.Path() + L"\\picture.png";
    WritePicture(path);

    UICONTROL::CBitmapEx bitmap;
    EXPECT_FALSE(bitmap.LoadFromFile(folder.Path() + L"\\missing.png"));
    EXPECT_EQ(bitmap.Width(), 0);
    Canvas canvas(40, 30);
    bitmap.DrawAt(3, 4, canvas.dc());
    EXPECT_EQ(canvas.Touched(), 0) << "nothing to draw";
    RECT none = {};
    EXPECT_TRUE(EqualRect(&bitmap.DrawnRect(), &none));

    ASSERT_TRUE(bitmap.LoadFromFile(path));
    EXPECT_EQ(bitmap.Width(), 12);
    EXPECT_EQ(bitmap.Height(), 7);
    bitmap.DrawAt(10, 20, canvas.dc());
    RECT drawn = {10, 20, 22, 27};
    EXPECT_TRUE(EqualRect(&bitmap.DrawnRect(), &drawn));
    EXPECT_EQ(canvas.Pixel(10, 20), RGB(0, 0, 255));
    EXPECT_EQ(canvas.Pixel(21, 26), RGB(0, 160, 0));
    EXPECT_EQ(canvas.Count(RGB(0, 160, 0)), 12 * 7 - 1) << "at its own size, nowhere else";

    // No device context, a missing file and a file that is no picture keep what was there.
    bitmap.DrawAt(0, 0, nullptr);
    EXPECT_FALSE(bitmap.LoadFromFile(folder.Path() + L"\\missing.png"));
    folder.Write(L"broken.png", "not a picture");
    EXPECT_FALSE(bitmap.LoadFromFile(folder.Path() + L"\\broken.png"));
    EXPECT_EQ(bitmap.Path(), path);
    EXPECT_EQ(bitmap.Width(), 12);
    EXPECT_TRUE(EqualRect(&bitmap.DrawnRect(), &drawn));
    EXPECT_TRUE(bitmap.HasPicture());

    // An attached GDI bitmap gives the size.
    bitmap.Attach(CreateCompatibleBitmap(canvas.dc(), 5, 9));
    EXPECT_EQ(bitmap.Width(), 5);
    EXPECT_EQ(bitmap.Height(), 9);
}

}  // namespace
