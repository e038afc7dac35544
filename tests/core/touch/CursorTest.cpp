// The two cursors as stored in the resources, and the dot cursor's switching against a
// stand-in for the system call that records (or refuses) each change.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "core/resources/Cursors_rc.h"
#include "core/touch/Cursor.h"
#include "framework/MessageBox.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/CursorRecorder.h"

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

using testing_support::HotSpotOf;

class DotCursor : public testing::Test {
protected:
    bool IsDot(size_t i) const { return g_changes[i].x == 0 && g_changes[i].y == 0; }
    bool IsArrow(size_t i) const { return g_changes[i].x == 2 && g_changes[i].y == 4; }

    testing_support::SystemCursorRecorder cursors_;
    std::vector<POINT>& g_changes = cursors_.Changes();
    BOOL& g_accept = cursors_.Accept();
    testing_support::MessageBoxRecorder recorder_{IDYES};
    std::vector<kit::MessageBoxCall>& boxes = recorder_.calls;
    int& answer = recorder_.answer;
};

}  // namespace

// A 32 x 32 cursor of `bitCount` bits a pixel with its hot spot at (x, y), as stored and as
// the system loads it.
static void ExpectCursorShape(UINT id, WORD bitCount, LONG x, LONG y)
{
    StoredCursor stored = ReadStoredCursor(id);
    ASSERT_NE(stored.header, nullptr);
    EXPECT_EQ(stored.header->biWidth, 32);
    EXPECT_EQ(stored.Height(), 32);
    EXPECT_EQ(stored.header->biBitCount, bitCount);
    EXPECT_EQ(stored.hotSpot.x, x);
    EXPECT_EQ(stored.hotSpot.y, y);

    HCURSOR loaded =
        static_cast<HCURSOR>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_CURSOR, 0, 0, 0));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(HotSpotOf(loaded).x, x);
    EXPECT_EQ(HotSpotOf(loaded).y, y);
    DestroyCursor(loaded);
}

TEST(CursorResources, DotIsATwoPixelSquareOfRedOnTransparent)
{
    ASSERT_NO_FATAL_FAILURE(ExpectCursorShape(IDC_DOT_CURSOR, 32, 0, 0));
    StoredCursor dot = ReadStoredCursor(IDC_DOT_CURSOR);
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
}

TEST(CursorResources, ArrowHasSixteenColoursAndItsTipAtTheHotSpot)
{
    ASSERT_NO_FATAL_FAILURE(ExpectCursorShape(IDC_ARROW_CURSOR, 4, 2, 4));
    StoredCursor arrow = ReadStoredCursor(IDC_ARROW_CURSOR);
    // The tip is opaque black, nothing lies above or left of it, the body is white
    // inside a black outline.
    EXPECT_FALSE(arrow.Transparent(2, 4));
    EXPECT_EQ(arrow.Pixel(2, 4).rgbRed, 0);
    for (int x = 0; x < 32; ++x) EXPECT_TRUE(arrow.Transparent(x, 3)) << x;
    for (int y = 0; y < 32; ++y) EXPECT_TRUE(arrow.Transparent(1, y)) << y;
    EXPECT_EQ(arrow.Pixel(3, 8).rgbRed, 255);
    EXPECT_EQ(arrow.Pixel(2, 8).rgbRed, 0);
    EXPECT_TRUE(arrow.Transparent(31, 31));
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
