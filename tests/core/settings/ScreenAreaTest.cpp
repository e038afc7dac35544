// The screen area dialog inside this process: the shapes it draws (read back on pixels
// through WM_PRINTCLIENT), the edits each shape fills, and the exit picture.
#include <gtest/gtest.h>

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/library/TessalyApi.h"
#include "core/resources/ScreenAreaDlg_rc.h"
#include "core/settings/CDlgScreenArea.h"
#include "framework/MessageBox.h"
#include "tests/support/TestFiles.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/MessageBoxRecorder.h"

namespace {

const COLORREF kCyan = RGB(0, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);

// An installation folder with the staged exit picture (or none), current while it lives.
class AreaFolder : public testing_support::ScratchFolder {
public:
    explicit AreaFolder(bool withPicture) : ScratchFolder(L"area")
    {
        if (withPicture)
            Write(L"data\\images\\exitBig.png",
                  testing_support::ReadBytes(testing_support::ProgramFolder() + L"\\..\\stage\\data\\images\\exitBig.png"));
    }
};

class ScreenArea : public testing::Test {
protected:
    void SetUp() override
    {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&token_, &input, nullptr);
    }
    void TearDown() override
    {
        Gdiplus::GdiplusShutdown(token_);
    }

    testing_support::MessageBoxRecorder recorder_{IDYES};
    std::vector<kit::MessageBoxCall>& boxes = recorder_.calls;
    int& answer = recorder_.answer;

private:
    ULONG_PTR token_ = 0;
};

// The client area as the dialog paints it.
class Picture {
public:
    explicit Picture(HWND window)
    {
        RECT client{};
        GetClientRect(window, &client);
        width = client.right;
        height = client.bottom;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        previous_ = SelectObject(dc_, bitmap_);
        SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_), PRF_CLIENT | PRF_ERASEBKGND);
        GdiFlush();
        pixels_ = static_cast<const DWORD*>(bits);
    }
    ~Picture()
    {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }

    COLORREF At(int x, int y) const
    {
        DWORD p = pixels_[y * width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // The first row from the top whose pixel in column x is cyan; -1 when there is none.
    int FirstCyanRow(int x) const
    {
        for (int y = 0; y < height; ++y)
            if (At(x, y) == kCyan) return y;
        return -1;
    }

    int width = 0;
    int height = 0;

private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    const DWORD* pixels_ = nullptr;
};

std::wstring Text(HWND dialog, int id)
{
    wchar_t text[64] = L"";
    GetDlgItemTextW(dialog, id, text, 63);
    return text;
}

float Number(HWND dialog, int id)
{
    return static_cast<float>(wcstod(Text(dialog, id).c_str(), nullptr));
}

void ChooseShape(HWND dialog, const wchar_t* name)
{
    HWND combo = GetDlgItem(dialog, IDC_AREA_TYPE);
    LRESULT index = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
    SendMessageW(combo, CB_SETCURSEL, index, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_AREA_TYPE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

bool Visible(HWND dialog, int id)
{
    return (GetWindowLongPtrW(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

// The edits' captions and values as a shape fills them; a circle adds its radius.
struct ShapeFields {
    const wchar_t* label1;
    const wchar_t* label2;
    const wchar_t* value1;
    const wchar_t* value2;
    const wchar_t* radius;  // nullptr: hidden, with its caption
};

void ExpectFields(HWND dialog, const ShapeFields& fields)
{
    EXPECT_EQ(Text(dialog, IDC_AREA_LABEL1), fields.label1);
    EXPECT_EQ(Text(dialog, IDC_AREA_LABEL2), fields.label2);
    EXPECT_EQ(Text(dialog, IDC_AREA_VALUE1), fields.value1);
    EXPECT_EQ(Text(dialog, IDC_AREA_VALUE2), fields.value2);
    EXPECT_EQ(Visible(dialog, IDC_AREA_RADIUS), fields.radius != nullptr);
    EXPECT_EQ(Visible(dialog, IDC_AREA_RADIUS_LABEL), fields.radius != nullptr);
    if (fields.radius) {
        EXPECT_EQ(Text(dialog, IDC_AREA_RADIUS), fields.radius);
    }
}

void Click(HWND window, int x, int y)
{
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
}

}  // namespace

TEST(ScreenAreaGeometry, CircleIsWidenedByTheScreensAspectAndTruncatedTowardZero)
{
    RECT full = CDlgScreenArea::CircleRect(0.5f, 0.5f, 0.5f, 1000, 600, 1920, 1080);
    EXPECT_EQ(full.left, 218);   // (0.5 - 540 / 1920) x 1000 = 218.75
    EXPECT_EQ(full.right, 781);  // 781.25
    EXPECT_EQ(full.top, 0);
    EXPECT_EQ(full.bottom, 600);

    RECT offLeft = CDlgScreenArea::CircleRect(0.1f, 0.125f, 0.25f, 1000, 600, 1920, 1080);
    EXPECT_EQ(offLeft.left, -40);   // (0.1 - 0.140625) x 1000 = -40.625
    EXPECT_EQ(offLeft.top, -75);
    EXPECT_EQ(offLeft.right, 240);  // 240.625
    EXPECT_EQ(offLeft.bottom, 225);
}

TEST_F(ScreenArea, BandStartsFullHeightAndItsEdgesFollowTheEdits)
{
    AreaFolder folder(true);
    CDlgScreenArea dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    HWND window = dialog.Handle();
    // The sorted list puts either name first, as the system collates them: the data tells.
    HWND combo = GetDlgItem(window, IDC_AREA_TYPE);
    LRESULT shown = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    ASSERT_NE(shown, CB_ERR);
    EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, shown, 0), CDlgScreenArea::Band);
    ExpectFields(window, {L"TOP:", L"BOTTOM:", L"0", L"1", nullptr});

    RECT band = dialog.Corridor();
    int middle = (band.left + band.right) / 2;
    {
        Picture picture(window);
        EXPECT_EQ(band.top, 0);
        EXPECT_EQ(band.bottom, picture.height);
        EXPECT_EQ(picture.FirstCyanRow(middle), 1);  // below the outline
        EXPECT_EQ(picture.At(band.left - 2, picture.height / 2), kBlack);
        EXPECT_EQ(picture.At(band.left + 2, picture.height / 2), kCyan);
    }

    SetDlgItemTextW(window, IDC_AREA_VALUE1, L"0.25");
    SetDlgItemTextW(window, IDC_AREA_VALUE2, L"0.75");
    {
        Picture picture(window);
        int top = static_cast<int>(picture.height * 0.25f);
        EXPECT_EQ(dialog.Corridor().top, top);
        EXPECT_EQ(dialog.Corridor().bottom, static_cast<int>(picture.height * 0.75f));
        EXPECT_EQ(picture.FirstCyanRow(middle), top + 1);
        EXPECT_EQ(picture.At(middle, top - 1), kBlack);
        EXPECT_EQ(picture.At(middle, dialog.Corridor().bottom + 1), kBlack);
    }

    // Text on the way to a number leaves the band where it is.
    for (const wchar_t* partial : {L"", L"-", L"0.3x"}) {
        SetDlgItemTextW(window, IDC_AREA_VALUE1, partial);
        EXPECT_EQ(dialog.Corridor().top, static_cast<int>(Picture(window).height * 0.25f)) << partial;
    }
}

TEST_F(ScreenArea, SwitchingShapesFillsTheEditsFromEachShape)
{
    AreaFolder folder(true);
    CDlgScreenArea dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    HWND window = dialog.Handle();
    SetDlgItemTextW(window, IDC_AREA_VALUE1, L"0.25");

    ChooseShape(window, L"圆形");
    EXPECT_EQ(dialog.Type(), CDlgScreenArea::Circle);
    ExpectFields(window, {L"X:", L"Y:", L"0.5", L"0.5", L"0.5"});
    auto pixelsOf = [window](int label, COLORREF colour) {
        Picture picture(GetDlgItem(window, label));
        int count = 0;
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x) count += picture.At(x, y) == colour;
        return count;
    };
    EXPECT_GT(pixelsOf(IDC_AREA_LABEL1, RGB(255, 255, 0)), 0) << "yellow captions of the edits";
    EXPECT_GT(pixelsOf(IDC_AREA_TYPE_LABEL, RGB(255, 255, 255)), 0) << "a white caption of the shape choice";

    SetDlgItemTextW(window, IDC_AREA_VALUE1, L"0.4");
    SetDlgItemTextW(window, IDC_AREA_RADIUS, L"0.25");
    {
        Picture picture(window);
        RECT e = CDlgScreenArea::CircleRect(0.4f, 0.5f, 0.25f, picture.width, picture.height,
                                            GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        int cx = (e.left + e.right) / 2;
        int cy = (e.top + e.bottom) / 2;
        EXPECT_EQ(picture.At(cx, cy), kCyan);
        EXPECT_EQ(picture.At(e.left + 2, cy), kCyan);
        EXPECT_EQ(picture.At(e.left - 2, cy), kBlack);
        EXPECT_EQ(picture.At(e.right + 1, cy), kBlack);
        EXPECT_EQ(picture.At(cx, e.top - 2), kBlack);
        EXPECT_EQ(picture.At(cx, e.bottom + 1), kBlack);
    }

    // Back to the band: its own top and bottom, not the circle's centre.
    ChooseShape(window, L"矩形");
    int h = Picture(window).height;
    EXPECT_NEAR(Number(window, IDC_AREA_VALUE1), dialog.Corridor().top / static_cast<float>(h), 1e-5);
    EXPECT_EQ(Text(window, IDC_AREA_VALUE2), L"1");
    EXPECT_EQ(dialog.Corridor().bottom, h);
    EXPECT_EQ(dialog.Corridor().top, static_cast<int>(h * 0.25f));
    EXPECT_FALSE(Visible(window, IDC_AREA_RADIUS));

    // And the circle keeps its centre for the next switch.
    ChooseShape(window, L"圆形");
    EXPECT_EQ(Text(window, IDC_AREA_VALUE1), L"0.4");
}

TEST_F(ScreenArea, ExitPictureAsksAndClosesWhateverTheAnswer)
{
    AreaFolder folder(true);
    for (int reply : {IDYES, IDNO}) {
        boxes.clear();
        answer = reply;
        CDlgScreenArea dialog;
        ASSERT_TRUE(dialog.Create(nullptr));
        HWND window = dialog.Handle();
        Picture picture(window);
        RECT exit = dialog.ExitRect();
        EXPECT_EQ(exit.right - exit.left, 64);
        EXPECT_EQ(exit.left, picture.width - 64 - 1);
        EXPECT_EQ(exit.top, picture.height - 64 - 31);
        EXPECT_NE(picture.At((exit.left + exit.right) / 2, exit.top + 6), kBlack);  // the picture's red

        Click(window, exit.left - 1, exit.top + 10);
        Click(window, 10, 10);
        EXPECT_TRUE(boxes.empty());
        EXPECT_TRUE(IsWindow(window));

        Click(window, exit.left + 5, exit.bottom - 5);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].owner, window);
        EXPECT_EQ(boxes[0].text, L"是否保存设置?");
        EXPECT_EQ(boxes[0].caption, L"离开提示");
        EXPECT_EQ(boxes[0].type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
        EXPECT_FALSE(IsWindow(window)) << reply;
    }
}

TEST_F(ScreenArea, WithoutThePictureTheCornerIsNoExit)
{
    AreaFolder folder(false);
    CDlgScreenArea dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    Picture picture(dialog.Handle());
    RECT exit = dialog.ExitRect();
    EXPECT_TRUE(IsRectEmpty(&exit));
    Click(dialog.Handle(), picture.width - 20, picture.height - 50);
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(IsWindow(dialog.Handle()));
}

namespace {

BOOL CALLBACK FindAreaDialog(HWND window, LPARAM out)
{
    if (!GetDlgItem(window, IDC_AREA_TYPE)) return TRUE;
    *reinterpret_cast<HWND*>(out) = window;
    return FALSE;
}

// Clicks the exit picture of the screen area dialog that the export is running.
void CALLBACK ClickExitOfRunningDialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindAreaDialog, reinterpret_cast<LPARAM>(&found));
    if (!found) return;
    KillTimer(nullptr, timer);
    RECT client{};
    GetClientRect(found, &client);
    Click(found, client.right - 1 - 32, client.bottom - 31 - 32);
}

}  // namespace

TEST_F(ScreenArea, ExportRunsTheDialogUntilTheExitClick)
{
    AreaFolder folder(true);
    answer = IDNO;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, ClickExitOfRunningDialog);
    ShowScreenAreaDlg();
    KillTimer(nullptr, timer);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"是否保存设置?");
}
