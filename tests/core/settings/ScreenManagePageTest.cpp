// The screen management page in the option sheet: the tracker's camera list as the file
// holds it, what the page writes back when it goes, and the two cursor radios.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "core/frame/CameraList.h"
#include "core/resources/ScreenManagePageIds.h"
#include "core/text/ConfigFile.h"
#include "core/text/ofxXmlSettings.h"
#include "core/touch/Cursor.h"
#include "framework/DataExchange.h"
#include "framework/MessageBox.h"
#include "tests/support/OptionSheetDriver.h"
#include "tests/support/InstallFolder.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/CursorRecorder.h"

using testing_support::DrivenOptionSheet;
using testing_support::TurnTo;

namespace {

namespace config = tessaly::config;

constexpr int kScreenEntry = 3;

// The second name is "摄像头" in the system's code page (936), as the tracker writes it.
const char kThreeCameras[] =
    "<MULTIPLEXER><SETTINGS><FRAMERATE>30</FRAMERATE></SETTINGS><CAMERAS>"
    "<CAMERA><GUID>{11111111-0000-0000-0000-000000000001}</GUID><TYPE>PS3</TYPE><INDEX>3</INDEX>"
    "<USED>1</USED><cameraname>front</cameraname></CAMERA>"
    "<CAMERA><TYPE>CMU</TYPE><GUID>{22222222-0000-0000-0000-000000000002}</GUID><cameraname>\xc9\xe3\xcf\xf1\xcd\xb7"
    "</cameraname><USED>1</USED><INDEX>7</INDEX></CAMERA>"
    "<CAMERA><GUID>{33333333-0000-0000-0000-000000000003}</GUID><TYPE>PS3</TYPE><INDEX>1</INDEX>"
    "<USED>0</USED><cameraname>back</cameraname></CAMERA>"
    "</CAMERAS></MULTIPLEXER>";

std::wstring ComboEntry(HWND combo, int i)
{
    LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length < 0) return L"<none>";
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length));
    return text;
}

void ChooseCamera(HWND page, int i)
{
    HWND combo = GetDlgItem(page, IDC_SCREEN_CAMERA_NAME);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_SCREEN_CAMERA_NAME, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void Click(HWND page, int id)
{
    SendDlgItemMessageW(page, id, BM_CLICK, 0, 0);
}

std::wstring ConfigValue(const wchar_t* section, const wchar_t* key)
{
    wchar_t value[64] = L"";
    GetPrivateProfileStringW(section, key, L"<missing>", value, 64, config::kPath);
    return value;
}

// Opens the sheet on the screen management page, runs `look` on it and closes with `button`.
void OnScreenPage(const std::function<void(HWND page)>& look, int button = PSBTN_CANCEL)
{
    DrivenOptionSheet sheet;
    sheet.steps = TurnTo(kScreenEntry, &DrivenOptionSheet::ScreenManagePage, [&](DrivenOptionSheet& s, HWND page) {
        look(page);
        s.Press(button);
    });
    sheet.DoModal();
}

TEST(ScreenManagePage, ShowsTheCamerasInFileOrderAndCancelWritesOnlyTheClearedUse)
{
    testing_support::InstallFolder folder(L"ScreenCameras");
    folder.WriteConfig("[config]\r\nMaskCommonCamera=1\r\n[version]\r\ndebug=1\r\n");
    folder.Write(L"data\\multiplexer_settings.xml", kThreeCameras);
    std::vector<tessaly::CameraEntry> before;
    tessaly::LoadCameraList(before);
    ASSERT_EQ(before.size(), 3u);

    OnScreenPage([](HWND page) {
        HWND combo = GetDlgItem(page, IDC_SCREEN_CAMERA_NAME);
        ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 3);
        EXPECT_EQ(ComboEntry(combo, 0), L"front");
        EXPECT_EQ(ComboEntry(combo, 1), L"摄像头");
        EXPECT_EQ(ComboEntry(combo, 2), L"back");
        EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(kit::ReadText(page, IDC_SCREEN_CAMERA_GUID), L"{11111111-0000-0000-0000-000000000001}");
        EXPECT_EQ(kit::ReadText(page, IDC_SCREEN_CAMERA_INDEX), L"3");
        EXPECT_EQ(SendMessageW(GetDlgItem(page, IDC_SCREEN_NAME), CB_GETCOUNT, 0, 0), 0) << "never filled";

        ChooseCamera(page, 2);
        EXPECT_FALSE(kit::IsChecked(page, IDC_SCREEN_CAMERA_USED));
        ChooseCamera(page, 1);
        EXPECT_EQ(kit::ReadText(page, IDC_SCREEN_CAMERA_GUID), L"{22222222-0000-0000-0000-000000000002}");
        EXPECT_EQ(kit::ReadText(page, IDC_SCREEN_CAMERA_INDEX), L"7");
        EXPECT_TRUE(kit::IsChecked(page, IDC_SCREEN_CAMERA_USED));
        Click(page, IDC_SCREEN_CAMERA_USED);
        EXPECT_FALSE(kit::IsChecked(page, IDC_SCREEN_CAMERA_USED));
        // Going to another camera and back shows the changed state, not the file's.
        ChooseCamera(page, 0);
        EXPECT_TRUE(kit::IsChecked(page, IDC_SCREEN_CAMERA_USED));
        ChooseCamera(page, 1);
        EXPECT_FALSE(kit::IsChecked(page, IDC_SCREEN_CAMERA_USED));
    });

    std::vector<tessaly::CameraEntry> after;
    tessaly::LoadCameraList(after);
    ASSERT_EQ(after.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(after[i].name, before[i].name) << i;
        EXPECT_EQ(after[i].guid, before[i].guid) << i;
        EXPECT_EQ(after[i].type, before[i].type) << i;
        EXPECT_EQ(after[i].index, before[i].index) << i;
        EXPECT_EQ(after[i].used, i == 1 ? false : before[i].used) << i;
    }
    ofxXmlSettings file;
    ASSERT_TRUE(file.loadFile("multiplexer_settings.xml"));
    EXPECT_EQ(file.getValue("MULTIPLEXER:SETTINGS:FRAMERATE", 0, 0), 30) << "the rest of the file is kept";
    EXPECT_EQ(ConfigValue(L"config", L"MaskCommonCamera"), L"1");
}

// Hidden or shown, the box carries "MaskCommonCamera" through the page; shown, a click changes it.
TEST(ScreenManagePage, OrdinaryCameraBoxKeepsTheStoredValueAndShowsOnlyInDebugMode)
{
    testing_support::InstallFolder folder(L"ScreenOrdinary");
    for (const char* stored : {"0", "1"}) {
        folder.WriteConfig(std::string("[config]\r\nMaskCommonCamera=") + stored + "\r\n[version]\r\ndebug=0\r\n");
        OnScreenPage([&](HWND page) {
            HWND box = GetDlgItem(page, IDC_SCREEN_ORDINARY_CAMERAS);
            EXPECT_FALSE(IsWindowVisible(box));
            EXPECT_EQ(kit::IsChecked(page, IDC_SCREEN_ORDINARY_CAMERAS), stored[0] == '0');
        });
        EXPECT_EQ(ConfigValue(L"config", L"MaskCommonCamera"), std::wstring(1, wchar_t(stored[0])));
    }

    folder.WriteConfig("[config]\r\n[version]\r\ndebug=1\r\n");
    OnScreenPage(
        [](HWND page) {
            EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, IDC_SCREEN_ORDINARY_CAMERAS)));
            EXPECT_FALSE(kit::IsChecked(page, IDC_SCREEN_ORDINARY_CAMERAS)) << "the default is 1";
            Click(page, IDC_SCREEN_ORDINARY_CAMERAS);
        },
        PSBTN_OK);
    EXPECT_EQ(ConfigValue(L"config", L"MaskCommonCamera"), L"0");
}

TEST(ScreenManagePage, WithoutTheCameraFileFieldsStayEmptyAndNoFileIsWritten)
{
    testing_support::InstallFolder folder(L"ScreenNoFile");
    folder.WriteConfig("[config]\r\n[version]\r\ndebug=0\r\n");
    OnScreenPage(
        [](HWND page) {
            EXPECT_EQ(SendDlgItemMessageW(page, IDC_SCREEN_CAMERA_NAME, CB_GETCOUNT, 0, 0), 0);
            EXPECT_EQ(kit::ReadText(page, IDC_SCREEN_CAMERA_GUID), L"");
            EXPECT_EQ(kit::ReadText(page, IDC_SCREEN_CAMERA_INDEX), L"");
            EXPECT_FALSE(kit::IsChecked(page, IDC_SCREEN_CAMERA_USED));
            // With no camera to change, the box stays clear (and touches no list entry).
            Click(page, IDC_SCREEN_CAMERA_USED);
            EXPECT_FALSE(kit::IsChecked(page, IDC_SCREEN_CAMERA_USED));
        },
        PSBTN_OK);
    EXPECT_FALSE(folder.Exists(L"data\\multiplexer_settings.xml"));
    EXPECT_FALSE(folder.Exists(L"multiplexer_settings.xml"));

}

class ScreenManageCursor : public testing::Test {
protected:
    // What the system was handed, in order: 'D' the dot, 'A' the arrow.
    static std::string CursorChanges() { return testing_support::SystemCursorRecorder::Kinds(); }

    testing_support::SystemCursorRecorder cursors_;
    BOOL& cursorAccepted_ = cursors_.Accept();
    testing_support::MessageBoxRecorder recorder_{IDYES};
    std::vector<kit::MessageBoxCall>& boxes = recorder_.calls;
    int& answer = recorder_.answer;
};

TEST_F(ScreenManageCursor, RadiosActAtOnceAndStoreTheChoiceEvenWhenTheDotIsNotSet)
{
    testing_support::InstallFolder folder(L"ScreenCursor");
    folder.WriteConfig("[config]\r\nbDotCursor=0\r\n[version]\r\ndebug=0\r\n");
    OnScreenPage([this](HWND page) {
        EXPECT_TRUE(kit::IsChecked(page, IDC_SCREEN_NORMAL_CURSOR));
        EXPECT_FALSE(kit::IsChecked(page, IDC_SCREEN_DOT_CURSOR));

        answer = IDNO;
        Click(page, IDC_SCREEN_DOT_CURSOR);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, L"确保融合软件已经停止拼接\n是否继续?");
        EXPECT_EQ(CursorChanges(), "") << "No leaves the cursor alone";
        EXPECT_FALSE(dotCursorActive);
        EXPECT_EQ(ConfigValue(L"config", L"bDotCursor"), L"1") << "and still stores the choice";

        Click(page, IDC_SCREEN_NORMAL_CURSOR);
        EXPECT_EQ(CursorChanges(), "") << "nothing to restore";
        EXPECT_EQ(ConfigValue(L"config", L"bDotCursor"), L"0");

        answer = IDYES;
        cursorAccepted_ = FALSE;
        Click(page, IDC_SCREEN_DOT_CURSOR);
        ASSERT_EQ(boxes.size(), 3u);
        EXPECT_EQ(boxes[2].text, L"设置光标失败");
        EXPECT_FALSE(dotCursorActive);
        EXPECT_EQ(ConfigValue(L"config", L"bDotCursor"), L"1");

        cursorAccepted_ = TRUE;
        Click(page, IDC_SCREEN_NORMAL_CURSOR);
        Click(page, IDC_SCREEN_DOT_CURSOR);
        EXPECT_TRUE(dotCursorActive);
        Click(page, IDC_SCREEN_NORMAL_CURSOR);
        EXPECT_FALSE(dotCursorActive);
        EXPECT_EQ(CursorChanges(), "DDA") << "refused dot, dot, arrow back";
        EXPECT_EQ(ConfigValue(L"config", L"bDotCursor"), L"0");
        EXPECT_EQ(boxes.size(), 4u);
    });

    folder.WriteConfig("[config]\r\nbDotCursor=1\r\n");
    OnScreenPage([](HWND page) {
        EXPECT_TRUE(kit::IsChecked(page, IDC_SCREEN_DOT_CURSOR));
        EXPECT_FALSE(kit::IsChecked(page, IDC_SCREEN_NORMAL_CURSOR));
    });
    EXPECT_EQ(CursorChanges(), "DDA") << "opening the page changes no cursor";
}

}  // namespace
