#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "core/frame/LibraryState.h"
#include "core/library/TessalyApi.h"
#include "core/resources/VideoPageIds.h"
#include "core/resources/VideoSourceDlgIds.h"
#include "core/settings/CDialogVedioSrc.h"
#include "core/text/LanguageCaption.h"
#include "framework/DataExchange.h"
#include "framework/MessageBox.h"
#include "tests/support/OptionSheetDriver.h"
#include "tests/support/InstallFolder.h"
#include "tests/support/MessageBoxRecorder.h"

using testing_support::DrivenOptionSheet;

namespace {

const char kTracker640[] =
    "<CONFIG><INT><THRESHOLD>40</THRESHOLD></INT><CAMERA_0><WIDTH>640</WIDTH><HEIGHT>480</HEIGHT></CAMERA_0></CONFIG>";

class VideoSource : public testing::Test {
protected:
    void SetUp() override
    {
        folder_.WriteConfig("[config]\r\nDEVICETYPE=0\r\n");
    }
    // A sheet on its first page, the video page, with `act` run there; `act` closes the sheet.
    static void OnVideoPage(const std::function<void(DrivenOptionSheet&, HWND page)>& act)
    {
        DrivenOptionSheet sheet;
        sheet.steps = {[&](DrivenOptionSheet& s) {
            HWND page = s.VideoPage().Handle();
            ASSERT_NE(page, nullptr) << "the first page";
            act(s, page);
        }};
        sheet.DoModal();
    }
    void ExpectMissingPointMessage(HWND owner)
    {
        ASSERT_EQ(boxes_.size(), 1u);
        EXPECT_EQ(boxes_[0].owner, owner);
        EXPECT_EQ(boxes_[0].text, L"请点击视频源内蓝色的圈中心所在点");
        EXPECT_EQ(boxes_[0].caption, L"tips");
        EXPECT_EQ(boxes_[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
        boxes_.clear();
    }

    testing_support::InstallFolder folder_{L"VideoSource"};
    testing_support::MessageBoxRecorder recorder_{IDOK};
    std::vector<kit::MessageBoxCall>& boxes_ = recorder_.calls;
};

void Click(HWND window, int x, int y)
{
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void Press(HWND dialog, int button)
{
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

bool Enabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

TEST(VideoSourceClick, MapsIntoCameraPixelsTruncatingTowardZero)
{
    VideoSourceClick source;
    source.videoRect = {10, 20, 110, 95};  // 100 x 75
    source.frameWidth = 640;
    source.frameHeight = 480;
    EXPECT_FALSE(source.HasPoint());
    EXPECT_TRUE(source.Map(10, 20));
    EXPECT_EQ(source.clickPoint.x, 0);
    EXPECT_EQ(source.clickPoint.y, 0);
    EXPECT_TRUE(source.HasPoint());
    EXPECT_TRUE(source.Map(109, 94));
    EXPECT_EQ(source.clickPoint.x, 633);  // 99 * 640 / 100 = 633.6
    EXPECT_EQ(source.clickPoint.y, 473);  // 74 * 480 / 75 = 473.6
    for (POINT outside : {POINT{9, 50}, POINT{110, 50}, POINT{50, 19}, POINT{50, 95}}) {
        EXPECT_FALSE(source.Map(outside.x, outside.y));
        EXPECT_EQ(source.clickPoint.x, 633);
        EXPECT_EQ(source.clickPoint.y, 473);
    }
}

// A damaged tracker file can give any int as the frame size: the product must not overflow.
TEST(VideoSourceClick, MapsInsideEvenTheLargestFrame)
{
    VideoSourceClick source;
    source.videoRect = {10, 20, 110, 95};
    source.frameWidth = INT_MAX;
    source.frameHeight = INT_MAX - 1;
    ASSERT_TRUE(source.Map(109, 94));
    EXPECT_EQ(source.clickPoint.x, 2126008810);  // 99 * (2^31 - 1) / 100, truncated
    EXPECT_EQ(source.clickPoint.y, 2118850530);  // 74 * (2^31 - 2) / 75
}

TEST_F(VideoSource, FrameSizeComesFromTheTrackerFileOrDefaults)
{
    testing_support::DeviceTypeScope device(0);
    VideoSourceClick source;
    folder_.Write(L"data\\ConfigLight.xml", kTracker640);
    source.ReadFrameSize();
    EXPECT_EQ(source.frameWidth, 640);
    EXPECT_EQ(source.frameHeight, 480);
    folder_.Write(L"data\\ConfigLight.xml", "<CONFIG><CAMERA_0><WIDTH>0</WIDTH></CAMERA_0></CONFIG>");
    source.ReadFrameSize();
    EXPECT_EQ(source.frameWidth, 320);
    EXPECT_EQ(source.frameHeight, 240);
    DeleteFileW(L"data\\ConfigLight.xml");
    source.ReadFrameSize();
    EXPECT_EQ(source.frameWidth, 320);
    EXPECT_EQ(source.frameHeight, 240);
}

TEST_F(VideoSource, LightPageCountsEveryClickAndAsksForAPointFirst)
{
    testing_support::DeviceTypeScope device(0);
    folder_.Write(L"data\\ConfigLight.xml", kTracker640);
    OnVideoPage([&](DrivenOptionSheet& s, HWND page) {
        VideoSourceClick& source = s.VideoPage().Source();
        EXPECT_FALSE(source.HasPoint());
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, IDC_VIDEO_INSTRUCTION)));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, IDC_VIDEO_PICK_AREA)));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, IDC_VIDEO_RESET_MASK)));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, IDC_VIDEO_RESET_VALID)));
        EXPECT_EQ(kit::ReadText(page, IDC_VIDEO_CONFIRM), option::LanguageText(L"14"));

        RECT frame;
        GetWindowRect(GetDlgItem(page, IDC_VIDEO_SOURCE), &frame);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&frame), 2);
        RECT inner = source.videoRect;
        EXPECT_GE(inner.left, frame.left);
        EXPECT_LE(inner.right, frame.right);
        EXPECT_GT(inner.right - inner.left, 200);

        Press(page, IDC_VIDEO_CONFIRM);
        ExpectMissingPointMessage(page);

        Click(page, inner.left, inner.top);
        EXPECT_EQ(source.clickPoint.x, 0);
        EXPECT_EQ(source.clickPoint.y, 0);
        int width = inner.right - inner.left, height = inner.bottom - inner.top;
        Click(page, inner.left + width / 2, inner.top + height / 4);
        EXPECT_EQ(source.clickPoint.x, static_cast<int>((width / 2) * 640 / static_cast<double>(width)));
        EXPECT_EQ(source.clickPoint.y, static_cast<int>((height / 4) * 480 / static_cast<double>(height)));
        POINT kept = source.clickPoint;
        Click(page, inner.right + 3, inner.top + 3);
        EXPECT_EQ(source.clickPoint.x, kept.x) << "outside the area";

        Press(page, IDC_VIDEO_CONFIRM);
        EXPECT_TRUE(boxes_.empty()) << "a point is there";
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(s.Handle(), 0x3021))) << "every command marks the page modified";
        s.Press(PSBTN_CANCEL);
    });
}

TEST_F(VideoSource, PenPageCountsClicksOnlyWhileResetting)
{
    testing_support::DeviceTypeScope device(1);
    folder_.Write(L"data\\ConfigSign.xml", kTracker640);
    OnVideoPage([&](DrivenOptionSheet& s, HWND page) {
        CVedioSetPage& video = s.VideoPage();
        RECT inner = video.Source().videoRect;
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, IDC_VIDEO_INSTRUCTION)));
        EXPECT_FALSE(Enabled(page, IDC_VIDEO_CONFIRM));
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, IDC_VIDEO_RESET_VALID)));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, IDC_VIDEO_PICK_AREA)));

        Click(page, inner.left + 5, inner.top + 5);
        EXPECT_FALSE(video.Source().HasPoint()) << "not resetting yet";

        Press(page, IDC_VIDEO_RESET_MASK);
        EXPECT_EQ(video.ResetMode(), 1);
        EXPECT_TRUE(Enabled(page, IDC_VIDEO_CONFIRM));
        EXPECT_EQ(kit::ReadText(page, IDC_VIDEO_RESET_MASK), option::LanguageText(L"31"));
        Click(page, inner.left, inner.top);
        EXPECT_EQ(video.Source().clickPoint.x, 0);
        EXPECT_EQ(video.Source().clickPoint.y, 0);
        EnableWindow(GetDlgItem(page, IDC_VIDEO_PICK_AREA), FALSE);
        EnableWindow(GetDlgItem(page, IDC_VIDEO_RESET_VALID), FALSE);
        Press(page, IDC_VIDEO_RESET_MASK);
        EXPECT_EQ(video.ResetMode(), 0);
        EXPECT_EQ(kit::ReadText(page, IDC_VIDEO_RESET_MASK), option::LanguageText(L"30"));
        EXPECT_TRUE(Enabled(page, IDC_VIDEO_PICK_AREA));
        EXPECT_TRUE(Enabled(page, IDC_VIDEO_RESET_VALID));

        Press(page, IDC_VIDEO_RESET_VALID);
        EXPECT_EQ(kit::ReadText(page, IDC_VIDEO_RESET_VALID), L"结束重设");
        Press(page, IDC_VIDEO_CONFIRM);
        EXPECT_FALSE(Enabled(page, IDC_VIDEO_CONFIRM)) << "confirm while resetting";
        EXPECT_TRUE(boxes_.empty());
        Press(page, IDC_VIDEO_RESET_VALID);
        EXPECT_EQ(kit::ReadText(page, IDC_VIDEO_RESET_VALID), L"重设有效区");

        // Picking the area keeps the mode until the sheet closes.
        Press(page, IDC_VIDEO_PICK_AREA);
        EXPECT_EQ(video.ResetMode(), 1);
        EXPECT_FALSE(Enabled(page, IDC_VIDEO_PICK_AREA));
        Press(page, IDC_VIDEO_PICK_AREA);
        EXPECT_EQ(video.ResetMode(), 1);
        s.Press(PSBTN_CANCEL);
    });
}

// The general page changes the device at once; the video page keeps mapping clicks with
// the camera of the device it opened with.
TEST_F(VideoSource, ClicksUseTheCameraOfTheDeviceThePageOpenedWith)
{
    testing_support::DeviceTypeScope device(0);
    folder_.Write(L"data\\ConfigLight.xml", kTracker640);
    folder_.Write(L"data\\ConfigSign.xml", "<CONFIG><CAMERA_0><WIDTH>1280</WIDTH><HEIGHT>960</HEIGHT></CAMERA_0></CONFIG>");
    OnVideoPage([&](DrivenOptionSheet& s, HWND page) {
        RECT inner = s.VideoPage().Source().videoRect;
        int width = inner.right - inner.left;
        deviceType = 1;
        Press(page, IDC_VIDEO_RESET_MASK);
        Click(page, inner.left + width / 2, inner.top);
        EXPECT_EQ(s.VideoPage().Source().clickPoint.x, static_cast<int>((width / 2) * 640 / static_cast<double>(width)));
        s.Press(PSBTN_CANCEL);
    });
}

TEST_F(VideoSource, CalibrationDialogTakesTheCameraWidth)
{
    testing_support::DeviceTypeScope device(0);
    folder_.Write(L"data\\ConfigLight.xml",
                  "<CONFIG><CAMERA_0><WIDTH>560</WIDTH><HEIGHT>420</HEIGHT></CAMERA_0></CONFIG>");
    CDialogVedioSrc dialog;
    ASSERT_TRUE(dialog.Create(nullptr));
    HWND window = dialog.Handle();
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, 560);
    for (int id : {IDC_CALIB_SOURCE, IDC_CALIB_RECOGNITION}) {
        GetWindowRect(GetDlgItem(window, id), &rect);
        EXPECT_EQ(rect.right - rect.left, 560);
    }
    VideoSourceClick& source = dialog.Source();
    EXPECT_EQ(source.frameHeight, 420);

    Press(window, IDC_CALIB_CONFIRM);
    ExpectMissingPointMessage(window);
    Click(window, source.videoRect.left, source.videoRect.top);
    EXPECT_EQ(source.clickPoint.x, 0);
    EXPECT_EQ(source.clickPoint.y, 0);
    Click(window, source.videoRect.left - 1, source.videoRect.top + 10);
    EXPECT_EQ(source.clickPoint.y, 0) << "outside";
    Press(window, IDC_CALIB_CONFIRM);
    EXPECT_TRUE(boxes_.empty());

    deviceType = 1;
    source.Forget();
    Click(window, source.videoRect.left + 5, source.videoRect.top + 5);
    EXPECT_FALSE(source.HasPoint()) << "only the light device points here";
    dialog.Destroy();
}

// What the timers below saw while the calibration window ran.
int mostCalibrationWindows = 0;
bool secondCallReturned = false;

int CountCalibrationWindows(bool close)
{
    int count = 0;
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, nullptr, L"手动标定"));) {
        if (!IsWindowVisible(window)) continue;
        ++count;
        if (close) PostMessageW(window, WM_CLOSE, 0, 0);
    }
    return count;
}

void CALLBACK CloseCalibrationWindows(HWND, UINT, UINT_PTR, DWORD)
{
    int count = CountCalibrationWindows(false);
    if (count > mostCalibrationWindows) mostCalibrationWindows = count;
    if (secondCallReturned || count > 1) CountCalibrationWindows(true);
}

void CALLBACK CallAgain(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    mostCalibrationWindows = CountCalibrationWindows(false);
    ShowMultiCameraCalibDlg();
    secondCallReturned = true;
}

TEST_F(VideoSource, ASecondCallWhileTheCalibrationWindowIsOpenReturnsAtOnce)
{
    testing_support::DeviceTypeScope device(0);
    mostCalibrationWindows = 0;
    secondCallReturned = false;
    SetTimer(nullptr, 0, 100, CallAgain);
    // Ends the window(s) once the second call is back; a second window would be counted first.
    UINT_PTR closer = SetTimer(nullptr, 0, 150, CloseCalibrationWindows);
    ShowMultiCameraCalibDlg();
    KillTimer(nullptr, closer);
    EXPECT_TRUE(secondCallReturned);
    EXPECT_EQ(mostCalibrationWindows, 1);
    EXPECT_EQ(tessaly::Library().cameraDialogOpen, 0) << "the guard goes with the window";
}

}  // namespace
