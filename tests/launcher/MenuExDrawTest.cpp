#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "launcher/MenuEx.h"
#include "tests/support/DibCanvas.h"
#include "tests/launcher/TrayTestOwner.h"

namespace {

constexpr COLORREF kBackground = RGB(243, 247, 250);
constexpr COLORREF kStrip = RGB(238, 242, 243);
constexpr COLORREF kFrame = RGB(49, 106, 197);
constexpr COLORREF kFill = RGB(200, 220, 253);
constexpr COLORREF kText = RGB(0, 102, 151);
constexpr COLORREF kSelectedText = RGB(51, 130, 173);
constexpr COLORREF kSeparator = RGB(197, 194, 184);
constexpr COLORREF kCalibrateIconCentre = RGB(200, 40, 40);

using Dib = testing_support::DibCanvas;
using testing_support::kUntouched;

ULONG_PTR ItemData(HMENU menu, int position)
{
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA;
    GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
    return info.dwItemData;
}

// As for WM_DRAWITEM: the menu object found by the handle draws the row.
void DrawRow(HMENU menu, int position, UINT state, HDC dc, const RECT& area)
{
    DRAWITEMSTRUCT draw = {};
    draw.CtlType = ODT_MENU;
    draw.itemID = GetMenuItemID(menu, position);
    draw.itemAction = ODA_DRAWENTIRE;
    draw.itemState = state;
    draw.hwndItem = reinterpret_cast<HWND>(menu);
    draw.hDC = dc;
    draw.rcItem = area;
    draw.itemData = ItemData(menu, position);
    UICONTROL::CMenuEx* owner = UICONTROL::CMenuEx::FromHandle(menu);
    ASSERT_NE(nullptr, owner);
    owner->DrawItem(&draw);
}

MEASUREITEMSTRUCT Measure(HMENU menu, int position)
{
    MEASUREITEMSTRUCT measure = {};
    measure.CtlType = ODT_MENU;
    measure.itemData = ItemData(menu, position);
    UICONTROL::CMenuEx::FromHandle(menu)->MeasureItem(&measure);
    return measure;
}

enum StateRow { kPlain, kGrayed, kChecked, kSeparatorRow, kLong };

class MenuExDrawTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, owner.window);
        owner.tray.Create(owner.window, L"Quorvane", LoadIconW(nullptr, IDI_APPLICATION));
        ASSERT_EQ(1u, owner.relabelRequests.size());
        popup = owner.relabelRequests[0];
        advanced = GetSubMenu(popup, 3);
        owner.tray.PreparePopup(popup);
        owner.tray.PreparePopup(advanced);

        // Rows in states the tray menu itself never takes, built from a handle.
        HMENU source = CreatePopupMenu();
        AppendMenuW(source, MF_STRING, ID_TRAY_CALIBRATE, L"Plain");
        AppendMenuW(source, MF_STRING | MF_GRAYED, ID_TRAY_END_CALIBRATION, L"Grayed");
        AppendMenuW(source, MF_STRING | MF_CHECKED, ID_TRAY_SETTINGS, L"Checked");
        AppendMenuW(source, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(source, MF_STRING, ID_TRAY_QUICK_BAR, L"A text far too long for the row, cut at its right edge");
        states.SetPopup(true);
        ASSERT_TRUE(states.LoadFromHandle(source));
        DestroyMenu(source);
        states.SetImageList(reinterpret_cast<const UICONTROL::tagMENUITEM*>(ItemData(popup, 0))->normalImages);
        const int ids[] = {ID_TRAY_CALIBRATE, ID_TRAY_END_CALIBRATION, ID_TRAY_SETTINGS, -1, ID_TRAY_QUICK_BAR};
        states.MapImageIndices(ids, 5);
    }

    TrayTestOwner owner;
    HMENU popup = nullptr;
    HMENU advanced = nullptr;
    UICONTROL::CMenuEx states;
};

TEST_F(MenuExDrawTest, RowsMeasure182By40WhateverTheirTextSeparators10High)
{
    for (int position = 0; position < 7; ++position) {
        MEASUREITEMSTRUCT measure = Measure(popup, position);
        EXPECT_EQ(182u, measure.itemWidth) << position;
        EXPECT_EQ(40u, measure.itemHeight) << position;
    }
    EXPECT_EQ(182u, Measure(states.Handle(), kLong).itemWidth);
    MEASUREITEMSTRUCT separator = Measure(states.Handle(), kSeparatorRow);
    EXPECT_EQ(0u, separator.itemWidth);
    EXPECT_EQ(10u, separator.itemHeight);
    EXPECT_TRUE(GetMenuState(states.Handle(), kGrayed, MF_BYPOSITION) & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(states.Handle(), kChecked, MF_BYPOSITION) & MF_CHECKED);
}

TEST_F(MenuExDrawTest, PlainAndSelectedRows)
{
    Dib plain(182, 40);
    DrawRow(popup, 0, 0, plain.dc(), {0, 0, 182, 40});
    EXPECT_EQ(kBackground, plain.Pixel(100, 2));
    EXPECT_EQ(kBackground, plain.Pixel(40, 20));
    EXPECT_EQ(kStrip, plain.Pixel(0, 0));
    EXPECT_EQ(kStrip, plain.Pixel(39, 39));
    EXPECT_EQ(kCalibrateIconCentre, plain.Pixel(8 + 12, 8 + 12));  // the pictogram at (8, 8)
    EXPECT_EQ(0, plain.CountOther(0, 0, 182, 8, {kBackground, kStrip}));
    EXPECT_EQ(0, plain.CountOther(40, 0, 54, 40, {kBackground}));  // text starts at 54
    EXPECT_GT(plain.CountOther(54, 0, 182, 40, {kBackground}), 20);

    Dib selected(182, 40);
    DrawRow(popup, 2, ODS_SELECTED, selected.dc(), {0, 0, 182, 40});
    for (POINT edge : {POINT{0, 20}, POINT{181, 20}, POINT{100, 0}, POINT{100, 39}})
        EXPECT_EQ(kFrame, selected.Pixel(edge.x, edge.y)) << edge.x << "," << edge.y;
    EXPECT_EQ(kFill, selected.Pixel(2, 2));  // over the strip
    EXPECT_EQ(kFill, selected.Pixel(180, 38));
    EXPECT_GT(selected.CountOther(54, 1, 181, 39, {kFill}), 20);
}

TEST_F(MenuExDrawTest, GrayedCheckedAndSeparatorRows)
{
    Dib grayed(182, 40);
    DrawRow(states.Handle(), kGrayed, ODS_SELECTED | ODS_GRAYED, grayed.dc(), {0, 0, 182, 40});
    EXPECT_EQ(kBackground, grayed.Pixel(100, 0));  // no selection frame
    EXPECT_EQ(kStrip, grayed.Pixel(0, 20));
    EXPECT_GT(grayed.CountOther(54, 0, 182, 40, {kBackground}), 20);
    EXPECT_EQ(grayed.CountOther(54, 0, 182, 40, {}), grayed.CountOther(54, 0, 182, 40, {kText, kSelectedText}));

    // The check box takes the place of the icon: image size, frame pen, fill brush, the mark inside.
    Dib checked(182, 40);
    DrawRow(states.Handle(), kChecked, ODS_CHECKED, checked.dc(), {0, 0, 182, 40});
    EXPECT_EQ(kFrame, checked.Pixel(8, 8));
    EXPECT_EQ(kFrame, checked.Pixel(8 + 23, 8 + 23));
    EXPECT_EQ(kFill, checked.Pixel(10, 30));
    EXPECT_EQ(kFill, checked.Pixel(30, 30));
    EXPECT_EQ(kStrip, checked.Pixel(8 + 24, 20));
    EXPECT_GT(checked.CountOther(9, 9, 31, 31, {kFill}), 5);

    Dib separator(182, 10);
    DrawRow(states.Handle(), kSeparatorRow, 0, separator.dc(), {0, 0, 182, 10});
    EXPECT_EQ(kSeparator, separator.Pixel(54, 4));
    EXPECT_EQ(kSeparator, separator.Pixel(181, 4));
    EXPECT_EQ(kBackground, separator.Pixel(53, 4));
    EXPECT_EQ(kBackground, separator.Pixel(120, 3));
    EXPECT_EQ(kBackground, separator.Pixel(120, 5));
    EXPECT_EQ(kStrip, separator.Pixel(20, 4));
}

TEST_F(MenuExDrawTest, LongTextIsCutAtTheRightEdgeOfTheRow)
{
    Dib dib(230, 40);
    DrawRow(states.Handle(), kLong, 0, dib.dc(), {0, 0, 182, 40});
    EXPECT_GT(dib.CountOther(160, 0, 182, 40, {kBackground}), 0);
    EXPECT_EQ(0, dib.CountOther(182, 0, 230, 40, {kUntouched}));
}

// Leaves artifacts\tray-menu.bmp in the build tree: the relabelled main popup with one row
// selected, the advanced submenu beside its row, and the rows in other states.
TEST_F(MenuExDrawTest, PictureOfTheOpenMenus)
{
    const int column = 182 + 10;
    Dib dib(column * 3, 7 * 40);
    for (int position = 0; position < 7; ++position)
        DrawRow(popup, position, position == 2 ? ODS_SELECTED : 0, dib.dc(),
                {0, position * 40, 182, (position + 1) * 40});
    for (int position = 0; position < 2; ++position)
        DrawRow(advanced, position, position == 0 ? ODS_SELECTED : 0, dib.dc(),
                {column, (3 + position) * 40, column + 182, (4 + position) * 40});
    const UINT state[] = {ODS_SELECTED, ODS_GRAYED, ODS_CHECKED, 0, 0};
    for (int position = 0, top = 0; position <= kLong; ++position) {
        int height = position == kSeparatorRow ? 10 : 40;
        DrawRow(states.Handle(), position, state[position], dib.dc(),
                {2 * column, top, 2 * column + 182, top + height});
        top += height;
    }
    // Rows drawn at an offset stay inside their rectangles.
    EXPECT_EQ(0, dib.CountOther(182, 0, column, 7 * 40, {kUntouched}));
    EXPECT_EQ(0, dib.CountOther(column, 0, 2 * column, 3 * 40, {kUntouched}));
    EXPECT_EQ(kFrame, dib.Pixel(column + 100, 3 * 40));

    wchar_t program[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring folder(program);
    folder.erase(folder.rfind(L'\\'));  // bin
    folder.replace(folder.rfind(L'\\'), std::wstring::npos, L"\\artifacts");
    CreateDirectoryW(folder.c_str(), nullptr);
    EXPECT_TRUE(dib.SaveBmp(folder + L"\\tray-menu.bmp"));
    std::printf("picture of the menus: %ls\\tray-menu.bmp\n", folder.c_str());
}

}  // namespace
