// The two cursors as stored in the resources, and the dot cursor's switching against a
// stand-in for the system call that records (or refuses) each change.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "core/resources/Cursors_rc.h"
#include "core/touch/Cursor.h"
#include "framework/MessageBox.h"

namespace {

// One image of a cursor group as the resource holds it: hot spot, then a DIB of colour
// bits followed by the AND mask, both bottom-up.
struct StoredCursor {
    POINT hotSpot{};
    const BITMAPINFOHEADER* header = nullptr;
    const BYTE* colours = nullptr;
    const BYTE* bits = nullptr;
    const BYTE* mask = nullptr;

    int Height() const { return header->biHeight / 2; }
    bool Transparent(int x, int y) const
    {
        int stride = ((header->biWidth + 31) / 32) * 4;
        return (mask[(Height() - 1 - y) * stride + x / 8] & (0x80 >> (x % 8))) != 0;
    }
    // RGBA at (x, y) with y = 0 at the top.
    RGBQUAD Pixel(int x, int y) const
    {
        int row = Height() - 1 - y;
        if (header->biBitCount == 32) return reinterpret_cast<const RGBQUAD*>(bits)[row * header->biWidth + x];
        int stride = ((header->biWidth * header->biBitCount + 31) / 32) * 4;
        BYTE pair = bits[row * stride + x / 2];
        return reinterpret_cast<const RGBQUAD*>(colours)[x % 2 ? pair & 15 : pair >> 4];
    }
};

StoredCursor ReadStoredCursor(UINT groupId)
{
    StoredCursor cursor;
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(groupId), RT_GROUP_CURSOR);
    if (!group) return cursor;
    auto directory = static_cast<PBYTE>(LockResource(LoadResource(module, group)));
    int id = LookupIconIdFromDirectoryEx(directory, FALSE, 32, 32, LR_DEFAULTCOLOR);
    HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(id), RT_CURSOR);
    if (!image) return cursor;
    auto data = static_cast<const BYTE*>(LockResource(LoadResource(module, image)));
    const WORD* hot = reinterpret_cast<const WORD*>(data);
    cursor.hotSpot = {hot[0], hot[1]};
    cursor.header = reinterpret_cast<const BITMAPINFOHEADER*>(data + 4);
    cursor.colours = data + 4 + cursor.header->biSize;
    int paletteSize = cursor.header->biBitCount <= 8 ? (1 << cursor.header->biBitCount) : 0;
    cursor.bits = cursor.colours + paletteSize * 4;
    int colourStride = ((cursor.header->biWidth * cursor.header->biBitCount + 31) / 32) * 4;
    cursor.mask = cursor.bits + colourStride * cursor.Height();
    return cursor;
}

POINT HotSpotOf(HCURSOR cursor)
{
    ICONINFO info{};
    if (!GetIconInfo(cursor, &info)) return {-1, -1};
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return {static_cast<LONG>(info.xHotspot), static_cast<LONG>(info.yHotspot)};
}

// What the stand-in was handed, told apart by hot spot: (0, 0) the dot, (2, 4) the arrow.
std::vector<POINT> g_changes;
BOOL g_accept = TRUE;

BOOL WINAPI RecordingSetter(HCURSOR cursor, DWORD id)
{
    EXPECT_EQ(id, 32512u);
    g_changes.push_back(HotSpotOf(cursor));
    // Like the system, keep (here: destroy) an accepted cursor; a refused one is the caller's.
    if (g_accept) DestroyCursor(cursor);
    return g_accept;
}

class DotCursor : public testing::Test {
protected:
    void SetUp() override
    {
        g_changes.clear();
        g_accept = TRUE;
        dotCursorActive = false;
        previous_ = SetSystemCursorSetter(RecordingSetter);
        kit::SetMessageBoxHook([this](const kit::MessageBoxCall& call) {
            boxes.push_back(call);
            return answer;
        });
    }
    void TearDown() override
    {
        SetSystemCursorSetter(previous_);
        dotCursorActive = false;
        kit::SetMessageBoxHook([](const kit::MessageBoxCall& call) {
            ADD_FAILURE() << "unexpected message box";
            return kit::FirstButtonOf(call.type);
        });
    }

    bool IsDot(size_t i) const { return g_changes[i].x == 0 && g_changes[i].y == 0; }
    bool IsArrow(size_t i) const { return g_changes[i].x == 2 && g_changes[i].y == 4; }

    std::vector<kit::MessageBoxCall> boxes;
    int answer = IDYES;

private:
    SystemCursorSetter previous_ = nullptr;
};

}  // namespace

TEST(CursorResources, DotIsATwoPixelSquareOfRedOnTransparent)
{
    StoredCursor dot = ReadStoredCursor(IDC_DOT_CURSOR);
    ASSERT_NE(dot.header, nullptr);
    EXPECT_EQ(dot.header->biWidth, 32);
    EXPECT_EQ(dot.Height(), 32);
    EXPECT_EQ(dot.header->biBitCount, 32);
    EXPECT_EQ(dot.hotSpot.x, 0);
    EXPECT_EQ(dot.hotSpot.y, 0);
    int opaque = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            RGBQUAD p = dot.Pixel(x, y);
            if (x < 2 && y < 2) {
                EXPECT_EQ(p.rgbRed, 243);
                EXPECT_EQ(p.rgbGreen, 0);
                EXPECT_EQ(p.rgbBlue, 36);
                EXPECT_EQ(p.rgbReserved, 255);
                EXPECT_FALSE(dot.Transparent(x, y));
            }
            if (p.rgbReserved != 0) ++opaque;
        }
    EXPECT_EQ(opaque, 4);

    HCURSOR loaded = static_cast<HCURSOR>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_DOT_CURSOR), IMAGE_CURSOR, 0, 0, 0));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(HotSpotOf(loaded).x, 0);
    EXPECT_EQ(HotSpotOf(loaded).y, 0);
    DestroyCursor(loaded);
}

TEST(CursorResources, ArrowHasSixteenColoursAndItsTipAtTheHotSpot)
{
    StoredCursor arrow = ReadStoredCursor(IDC_ARROW_CURSOR);
    ASSERT_NE(arrow.header, nullptr);
    EXPECT_EQ(arrow.header->biWidth, 32);
    EXPECT_EQ(arrow.Height(), 32);
    EXPECT_EQ(arrow.header->biBitCount, 4);
    EXPECT_EQ(arrow.hotSpot.x, 2);
    EXPECT_EQ(arrow.hotSpot.y, 4);
    // The tip is opaque black, nothing lies above or left of it, the body is white
    // inside a black outline.
    EXPECT_FALSE(arrow.Transparent(2, 4));
    EXPECT_EQ(arrow.Pixel(2, 4).rgbRed, 0);
    for (int x = 0; x < 32; ++x) EXPECT_TRUE(arrow.Transparent(x, 3)) << x;
    for (int y = 0; y < 32; ++y) EXPECT_TRUE(arrow.Transparent(1, y)) << y;
    EXPECT_EQ(arrow.Pixel(3, 8).rgbRed, 255);
    EXPECT_EQ(arrow.Pixel(2, 8).rgbRed, 0);
    EXPECT_TRUE(arrow.Transparent(31, 31));

    HCURSOR loaded = static_cast<HCURSOR>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_ARROW_CURSOR), IMAGE_CURSOR, 0, 0, 0));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(HotSpotOf(loaded).x, 2);
    EXPECT_EQ(HotSpotOf(loaded).y, 4);
    DestroyCursor(loaded);
}

TEST_F(DotCursor, RestoreActsOnlyAfterASuccessfulSetAndOnce)
{
    RestoreCursor();
    EXPECT_TRUE(g_changes.empty());

    SetDotCursor(true);
    SetDotCursor(true);
    EXPECT_TRUE(dotCursorActive);
    ASSERT_EQ(g_changes.size(), 2u);
    EXPECT_TRUE(IsDot(0));
    EXPECT_TRUE(IsDot(1));

    RestoreCursor();
    RestoreCursor();
    EXPECT_FALSE(dotCursorActive);
    ASSERT_EQ(g_changes.size(), 3u);
    EXPECT_TRUE(IsArrow(2));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(DotCursor, QuestionDecidesAndNoChangesNothing)
{
    answer = IDNO;
    SetDotCursor(false);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"确保融合软件已经停止拼接\n是否继续?");
    EXPECT_EQ(boxes[0].type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
    EXPECT_FALSE(boxes[0].caption.empty());
    EXPECT_TRUE(g_changes.empty());
    EXPECT_FALSE(dotCursorActive);

    answer = IDYES;
    SetDotCursor(false);
    EXPECT_EQ(boxes.size(), 2u);
    ASSERT_EQ(g_changes.size(), 1u);
    EXPECT_TRUE(IsDot(0));
    EXPECT_TRUE(dotCursorActive);
}

TEST_F(DotCursor, RefusedChangesAreReported)
{
    g_accept = FALSE;
    SetDotCursor(true);
    EXPECT_FALSE(dotCursorActive);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"设置光标失败");
    EXPECT_EQ(boxes[0].type & MB_TYPEMASK, static_cast<UINT>(MB_OK));

    // A refused restore still ends the dot's state, so the next close stays quiet.
    g_accept = TRUE;
    SetDotCursor(true);
    g_accept = FALSE;
    RestoreCursor();
    EXPECT_FALSE(dotCursorActive);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, L"设置光标失败");
    RestoreCursor();
    EXPECT_EQ(boxes.size(), 2u);
}

// The real system call with the real cursors: the dot goes in and the arrow comes back.
TEST_F(DotCursor, SystemAcceptsBothCursors)
{
    SetSystemCursorSetter(nullptr);
    SetDotCursor(true);
    EXPECT_TRUE(dotCursorActive);
    RestoreCursor();
    EXPECT_FALSE(dotCursorActive);
    EXPECT_TRUE(boxes.empty());
}
