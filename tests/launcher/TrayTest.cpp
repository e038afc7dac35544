#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/ResourceScope.h"
#include "launcher/MenuEx.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/launcher/TrayTestOwner.h"

namespace {

struct MenuEntry {
    UINT id;
    bool ownerDrawn;
    const UICONTROL::tagMENUITEM* record;
};

MenuEntry ReadEntry(HMENU menu, int position)
{
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA;
    EXPECT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info));
    return {GetMenuItemID(menu, position), (info.fType & MFT_OWNERDRAW) != 0,
            reinterpret_cast<const UICONTROL::tagMENUITEM*>(info.dwItemData)};
}

struct Expected {
    int position;
    UINT id;
    const wchar_t* text;
    int image;
};

void ExpectOwnerDrawn(HMENU menu, const Expected& item)
{
    SCOPED_TRACE(item.text);
    MenuEntry entry = ReadEntry(menu, item.position);
    EXPECT_EQ(item.id, entry.id);
    EXPECT_TRUE(entry.ownerDrawn);
    ASSERT_NE(nullptr, entry.record);
    EXPECT_EQ(std::wstring(item.text), entry.record->text);
    EXPECT_EQ(item.image, entry.record->imageIndex);
}

class TrayTest : public testing::Test {
protected:
    HMENU CreateTray()
    {
        EXPECT_NE(nullptr, owner.window);
        owner.tray.Create(owner.window, L"Quorvane", LoadIconW(nullptr, IDI_APPLICATION));
        return owner.relabelRequests.empty() ? nullptr : owner.relabelRequests.front();
    }

    TrayTestOwner owner;
};

TEST_F(TrayTest, TheOwnerGetsTheMainPopupWithEveryItemOwnerDrawnAndImagedByTheIdTable)
{
    owner.relabel = false;
    HMENU popup = CreateTray();
    ASSERT_EQ(1u, owner.relabelRequests.size());
    ASSERT_EQ(7, GetMenuItemCount(popup));
    const Expected main[] = {{0, ID_TRAY_CALIBRATE, L"校准", 0},   {1, ID_TRAY_END_CALIBRATION, L"结束校准", 1},
                             {2, ID_TRAY_SETTINGS, L"设置", 2},    {3, 0xFFFFFFFFu, L"高级调试", 3},
                             {4, ID_TRAY_QUICK_BAR, L"快捷栏", 4}, {5, ID_TRAY_MEDIA_SHOW, L"媒体展示", 5},
                             {6, ID_TRAY_EXIT, L"退出", 6}};
    for (const Expected& item : main) ExpectOwnerDrawn(popup, item);
    HMENU advanced = GetSubMenu(popup, 3);
    ASSERT_EQ(2, GetMenuItemCount(advanced));
    ExpectOwnerDrawn(advanced, {0, ID_TRAY_SHAPED_PROJECTION, L"异形投影", 7});
    ExpectOwnerDrawn(advanced, {1, ID_TRAY_RESET, L"重置参数", 8});
}

// The list is filled from the icon resources' own bits; each image must draw exactly as
// the system draws that icon at 24 x 24, transparent parts included.
TEST_F(TrayTest, EachImageDrawsAsItsIconResource)
{
    HMENU popup = CreateTray();
    ASSERT_NE(nullptr, popup);
    HIMAGELIST images = ReadEntry(popup, 0).record->normalImages;
    ASSERT_NE(nullptr, images);
    ASSERT_EQ(9, ImageList_GetImageCount(images));
    const int icons[] = {IDI_MENU_CALIBRATE, IDI_MENU_END_CALIBRATION, IDI_MENU_SETTINGS,
                         IDI_MENU_ADVANCED,  IDI_MENU_QUICK_BAR,       IDI_MENU_MEDIA_SHOW,
                         IDI_MENU_EXIT,      IDI_MENU_SHAPED_PROJECTION, IDI_MENU_RESET};
    // Drawn over a background of a colour no icon uses, so that any pixel the mask gets
    // wrong shows.
    auto draw = [](auto paint) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = 24;
        info.bmiHeader.biHeight = -24;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(dc, bitmap);
        std::fill(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + 24 * 24, 0x00FF00FFu);
        paint(dc);
        GdiFlush();
        std::vector<DWORD> pixels(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + 24 * 24);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        return pixels;
    };
    HINSTANCE module = GetModuleHandleW(nullptr);
    for (int index = 0; index < 9; ++index) {
        SCOPED_TRACE(index);
        HICON icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(icons[index]), IMAGE_ICON, 24, 24, 0));
        ASSERT_NE(nullptr, icon);
        std::vector<DWORD> expected = draw([&](HDC dc) { DrawIconEx(dc, 0, 0, icon, 24, 24, 0, nullptr, DI_NORMAL); });
        std::vector<DWORD> actual = draw([&](HDC dc) { ImageList_Draw(images, index, dc, 0, 0, ILD_TRANSPARENT); });
        DestroyIcon(icon);
        int differing = 0;
        for (size_t i = 0; i < expected.size(); ++i) {
            const DWORD a = expected[i], b = actual[i];
            for (int shift = 0; shift < 24; shift += 8) {
                const int difference = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
                if (difference > 1 || difference < -1) {
                    ++differing;
                    break;
                }
            }
        }
        EXPECT_EQ(0, differing) << "pixels unlike the icon's";
        EXPECT_NE(expected, std::vector<DWORD>(24 * 24, 0x00FF00FFu)) << "the icon drew nothing";
    }
}

TEST_F(TrayTest, RelabelledItemsBecomeOwnerDrawnAgainWithTheNewTextsAndTheirImages)
{
    HMENU popup = CreateTray();
    ASSERT_NE(nullptr, popup);
    HMENU advanced = GetSubMenu(popup, 3);
    EXPECT_FALSE(ReadEntry(popup, 0).ownerDrawn);  // what a plain ModifyMenuW leaves

    for (int round = 0; round < 2; ++round) {  // preparing again changes nothing
        owner.tray.PreparePopup(popup);
        owner.tray.PreparePopup(advanced);
        ExpectOwnerDrawn(popup, {0, ID_TRAY_CALIBRATE, TrayTestOwner::kCalibrate, 0});
        ExpectOwnerDrawn(popup, {1, ID_TRAY_END_CALIBRATION, L"结束校准", 1});
        ExpectOwnerDrawn(popup, {2, ID_TRAY_SETTINGS, TrayTestOwner::kSettings, 2});
        ExpectOwnerDrawn(popup, {6, ID_TRAY_EXIT, TrayTestOwner::kExit, 6});
        ExpectOwnerDrawn(advanced, {0, ID_TRAY_SHAPED_PROJECTION, TrayTestOwner::kShapedProjection, 7});
        ExpectOwnerDrawn(advanced, {1, ID_TRAY_RESET, L"重置参数", 8});
        EXPECT_EQ(advanced, GetSubMenu(popup, 3));
    }
}

TEST_F(TrayTest, TwoLeftClicksShowAndHideTheOwnerOtherMessagesDoNothing)
{
    ASSERT_NE(nullptr, CreateTray());
    ASSERT_FALSE(IsWindowVisible(owner.window));
    EXPECT_EQ(1, SendMessageW(owner.window, kTrayNotifyMessage, kTrayIconId, WM_LBUTTONDOWN));
    EXPECT_TRUE(IsWindowVisible(owner.window));
    EXPECT_EQ(1, owner.tray.OnNotify(kTrayIconId, WM_LBUTTONUP));
    EXPECT_EQ(1, owner.tray.OnNotify(kTrayIconId, WM_MOUSEMOVE));
    EXPECT_TRUE(IsWindowVisible(owner.window));
    EXPECT_EQ(1, SendMessageW(owner.window, kTrayNotifyMessage, kTrayIconId, WM_LBUTTONDOWN));
    EXPECT_FALSE(IsWindowVisible(owner.window));
}

// TrackPopupMenu runs its own loop; keys queued before it choose the item.
TEST_F(TrayTest, RightClickOpensTheMenuOverTheHiddenOwnerAndTheChosenCommandReachesIt)
{
    HMENU popup = CreateTray();
    ASSERT_NE(nullptr, popup);
    PostMessageW(owner.window, WM_KEYDOWN, VK_UP, 0);  // from no selection: the last row, Exit
    PostMessageW(owner.window, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(1, SendMessageW(owner.window, kTrayNotifyMessage, kTrayIconId, WM_RBUTTONUP));
    owner.Pump();

    ASSERT_EQ(1u, owner.commands.size());
    EXPECT_EQ(ID_TRAY_EXIT, owner.commands[0]);
    EXPECT_FALSE(IsWindowVisible(owner.window));
    ASSERT_FALSE(owner.openedPopups.empty());
    EXPECT_EQ(popup, owner.openedPopups[0]);
    EXPECT_EQ(0, owner.defaultWhenOpened[0]);
    // The relabelled rows were owner-drawn again before the system measured and drew them.
    ASSERT_EQ(7u, owner.measured.size());
    for (const MEASUREITEMSTRUCT& measure : owner.measured) {
        EXPECT_EQ(182u, measure.itemWidth);
        EXPECT_EQ(40u, measure.itemHeight);
    }
    EXPECT_GE(owner.drawn, 7);

    // Down to the advanced submenu, into it, its second row: reset.
    for (WPARAM key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN})
        PostMessageW(owner.window, WM_KEYDOWN, key, 0);
    owner.tray.OnNotify(kTrayIconId, WM_RBUTTONUP);
    owner.Pump();
    ASSERT_EQ(2u, owner.commands.size());
    EXPECT_EQ(ID_TRAY_RESET, owner.commands[1]);
}

TEST_F(TrayTest, WithoutTheMenuResourceItSaysSoAndAddsNoIcon)
{
    testing_support::MessageBoxRecorder boxes;
    BOOL added = TRUE;
    {
        kit::ModuleStateScope elsewhere(GetModuleHandleW(L"kernel32.dll"));  // no menu 130 there
        added = owner.tray.Create(owner.window, L"Quorvane", LoadIconW(nullptr, IDI_APPLICATION));
    }
    EXPECT_FALSE(added);
    EXPECT_TRUE(owner.relabelRequests.empty());
    ASSERT_EQ(1u, boxes.calls.size());
    EXPECT_EQ(L"加载菜单失败", boxes.calls[0].text);
    EXPECT_EQ(owner.window, boxes.calls[0].owner);
    EXPECT_EQ(1, owner.tray.OnNotify(kTrayIconId, WM_RBUTTONUP));  // no menu to open, no crash
    EXPECT_TRUE(owner.commands.empty());
}

}  // namespace
