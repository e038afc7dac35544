#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/library/BrimwellApp.h"
#include "core/frame/LibraryState.h"
#include "core/resources/GeneralPageIds.h"
#include "core/settings/StartWithWindows.h"
#include "core/text/ConfigFile.h"
#include "core/text/ofxXmlSettings.h"
#include "core/touch/TouchManager.h"
#include "framework/DataExchange.h"
#include "framework/MessageBox.h"
#include "framework/ResourceScope.h"
#include "tests/support/OptionSheetDriver.h"
#include "tests/support/InstallFolder.h"
#include "tests/support/MessageBoxRecorder.h"

using testing_support::DrivenOptionSheet;
using testing_support::TurnTo;

namespace {

int Checked(HWND page, int id)
{
    return kit::IsChecked(page, id) ? 1 : 0;
}

class GeneralPage : public testing::Test {
protected:
    void SetUp() override
    {
        savedDevice_ = deviceType;
    }
    void TearDown() override
    {
        deviceType = savedDevice_;
    }

    // A sheet opened on the general page, with `act` run there; `act` closes the sheet.
    static void OnGeneralPage(const std::function<void(DrivenOptionSheet&, HWND)>& act)
    {
        DrivenOptionSheet sheet;
        sheet.steps = TurnTo(1, &DrivenOptionSheet::GeneralPage, act);
        sheet.DoModal();
    }

    testing_support::MessageBoxRecorder recorder_{IDOK};
    std::vector<kit::MessageBoxCall>& boxes_ = recorder_.calls;
    int savedDevice_ = 0;
};

}  // namespace

namespace {

const char kTracker[] =
    "<CONFIG><BOOLEAN><OSCMODE>1</OSCMODE><TCPMODE>0</TCPMODE></BOOLEAN></CONFIG>"
    "<CORE><BOOLEAN><TRANSMIT>0</TRANSMIT><WIN7TOUCH>0</WIN7TOUCH></BOOLEAN></CORE>";

// Without the scene page's keys, which its OK then adds.
const char kMouseOnly[] = "<CONFIG><BOOLEAN><OSCMODE>0</OSCMODE><TCPMODE>0</TCPMODE></BOOLEAN></CONFIG>";

// The configuration file and the pen device's tracker file.
void WriteSettings(testing_support::InstallFolder& folder, const std::string& config, const char* tracker)
{
    folder.WriteConfig(config);
    folder.Write(L"data\\ConfigSign.xml", tracker);
}

int TrackerValue(const char* file, const char* key, int missing = -1)
{
    ofxXmlSettings xml;
    if (!xml.loadFile(file)) return -2;
    return xml.getValue(key, missing, 0);
}

TEST_F(GeneralPage, LaserChoiceActsAtOnceAndTheStoreOnCancelWritesTheNewDevicesFile)
{
    testing_support::InstallFolder folder(L"GeneralPageLaser");
    WriteSettings(folder, "[config]\r\nDEVICETYPE=1\r\nFilterWay=2\r\n[version]\r\ndebug=0\r\n", kTracker);
    testing_support::DeviceTypeScope device(1);
    TouchManager touch;
    touch.filterWay = 2;

    DrivenOptionSheet sheet;
    sheet.steps = {
        [](DrivenOptionSheet& s) {
            EXPECT_EQ(s.GeneralPage().Handle(), nullptr) << "made on first show";
            s.Select(1);
        },
        [this](DrivenOptionSheet& s) {
            HWND page = s.GeneralPage().Handle();
            ASSERT_NE(page, nullptr);
            EXPECT_EQ(Checked(page, IDC_GENERAL_DEVICE_SIGN), 1);
            EXPECT_EQ(Checked(page, IDC_GENERAL_OUTPUT_UDP), 1);
            EXPECT_EQ(Checked(page, IDC_GENERAL_FILTER_SMALLEST_X), 1);
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_GENERAL_OUTPUT_MULTIPOINT)));
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_GENERAL_OUTPUT_TCP)));
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, IDC_GENERAL_SHOW_CONTROL_WINDOW))) << "debug is 0";
            SendDlgItemMessageW(page, IDC_GENERAL_OUTPUT_TCP, BM_CLICK, 0, 0);
            SendDlgItemMessageW(page, IDC_GENERAL_DEVICE_LASER, BM_CLICK, 0, 0);
            ASSERT_EQ(boxes_.size(), 1u);
            EXPECT_EQ(boxes_[0].text, L"硬件改变,需重启软件生效");
            EXPECT_EQ(boxes_[0].owner, page);
            EXPECT_EQ(deviceType, 2);
            EXPECT_EQ(tessaly::config::ReadInt(tessaly::config::kDeviceType), 2) << "at once";
            s.Press(PSBTN_CANCEL);
        },
    };
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);

    EXPECT_EQ(TrackerValue("data/ConfigLaser.xml", "CONFIG:BOOLEAN:TCPMODE"), 1);
    EXPECT_EQ(TrackerValue("data/ConfigLaser.xml", "CONFIG:BOOLEAN:OSCMODE"), 0);
    EXPECT_EQ(TrackerValue("data/ConfigLaser.xml", "CORE:BOOLEAN:TRANSMIT"), 0);
    EXPECT_EQ(TrackerValue("data/ConfigSign.xml", "CONFIG:BOOLEAN:OSCMODE"), 1) << "the old device's file stays";
    EXPECT_EQ(touch.networkOutput, 1);
    EXPECT_EQ(tessaly::config::ReadInt(tessaly::config::kDeviceType), 2);
    EXPECT_EQ(tessaly::config::ReadInt(tessaly::config::kFilterWay), 2);
    EXPECT_EQ(tessaly::config::ReadInt(tessaly::config::kStartWin7Touch), 0);
}

TEST_F(GeneralPage, StartWithWindowsIsRegisteredRemovedAndReadBack)
{
    testing_support::InstallFolder folder(L"GeneralPageStart");
    folder.WriteConfig("[config]\r\nDEVICETYPE=0\r\n");
    folder.Write(L"data\\ConfigLight.xml", kTracker);
    testing_support::DeviceTypeScope device(0);
    ASSERT_TRUE(option::RegisterToStart(false));

    auto caption = [](HWND page) { return kit::ReadText(page, IDC_GENERAL_START_WITH_WINDOWS); };
    OnGeneralPage([&](DrivenOptionSheet& s, HWND page) {
        std::wstring off = caption(page);
        SendDlgItemMessageW(page, IDC_GENERAL_START_WITH_WINDOWS, BM_CLICK, 0, 0);
        EXPECT_TRUE(option::IsRegisteredToStart());
        EXPECT_EQ(caption(page), L"取消启动");
        SendDlgItemMessageW(page, IDC_GENERAL_START_WITH_WINDOWS, BM_CLICK, 0, 0);
        EXPECT_FALSE(option::IsRegisteredToStart());
        EXPECT_EQ(caption(page), off);
        SendDlgItemMessageW(page, IDC_GENERAL_START_WITH_WINDOWS, BM_CLICK, 0, 0);
        s.Press(PSBTN_OK);
    });
    ASSERT_EQ(boxes_.size(), 3u);
    EXPECT_EQ(boxes_[0].text, L"开机启动成功");
    EXPECT_EQ(boxes_[1].text, L"软件开机启动取消");
    EXPECT_EQ(boxes_[1].caption, L"友情提示");

    // A new sheet starts from what is registered.
    DrivenOptionSheet again;
    again.steps = {
        [](DrivenOptionSheet& s) { s.Select(1); },
        [&](DrivenOptionSheet& s) {
            EXPECT_EQ(caption(s.GeneralPage().Handle()), L"取消启动");
            s.Press(PSBTN_CANCEL);
        },
    };
    again.DoModal();
    EXPECT_TRUE(option::autoStartFlag);
    EXPECT_TRUE(option::RegisterToStart(false));
}

}  // namespace

namespace {

// With debug on, the control-window box shows whether the recogniser's window is visible.
TEST_F(GeneralPage, ControlWindowBoxFollowsTheRecognisersWindowInDebugMode)
{
    testing_support::InstallFolder folder(L"GeneralPageDebug");
    folder.WriteConfig("[config]\r\nDEVICETYPE=3\r\n[version]\r\ndebug=1\r\n");
    folder.Write(L"data\\ConfigDI.xml", kTracker);
    testing_support::DeviceTypeScope device(3);
    HWND recogniser = CreateWindowExW(0, L"STATIC", L"MultiTouchRecogniseWindow", WS_POPUP | WS_VISIBLE, 0, 0, 10,
                                      10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(recogniser, nullptr);
    std::vector<int> ticked;
    auto look = [&ticked](DrivenOptionSheet& s) {
        HWND page = s.GeneralPage().Handle();
        ASSERT_NE(page, nullptr);
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(page, IDC_GENERAL_SHOW_CONTROL_WINDOW)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_GENERAL_OUTPUT_MULTIPOINT))) << "type 3 disables nothing";
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_GENERAL_OUTPUT_UDP)));
        ticked.push_back(Checked(page, IDC_GENERAL_SHOW_CONTROL_WINDOW));
        s.Press(PSBTN_CANCEL);
    };
    for (bool visible : {true, false}) {
        ShowWindow(recogniser, visible ? SW_SHOWNA : SW_HIDE);
        DrivenOptionSheet sheet;
        sheet.steps = {[](DrivenOptionSheet& s) { s.Select(1); }, look};
        sheet.DoModal();
    }
    DestroyWindow(recogniser);
    EXPECT_EQ(ticked, (std::vector<int>{1, 0}));
}

}  // namespace

#include "core/library/TessalyApi.h"
#include "core/touch/TouchSimulator.h"
#include "tests/support/TouchFakes.h"

namespace {

const char kTouchOn[] =
    "<CONFIG><BOOLEAN><OSCMODE>1</OSCMODE><TCPMODE>0</TCPMODE></BOOLEAN></CONFIG>"
    "<CORE><BOOLEAN><TRANSMIT>0</TRANSMIT><WIN7TOUCH>1</WIN7TOUCH></BOOLEAN></CORE>";

TEST_F(GeneralPage, Windows7TouchBoxIsOfferedOnTouchEditionsOnlyAndWritesAtOnce)
{
    testing_support::InstallFolder folder(L"GeneralPageTouch");
    WriteSettings(folder, "[config]\r\nDEVICETYPE=1\r\n", kTouchOn);
    testing_support::DeviceTypeScope device(1);
    TouchManager touch;
    {
        testing_support::VersionScope ultimate(testing_support::FakeVersion(6, 1, 1));
        OnGeneralPage([&](DrivenOptionSheet& s, HWND page) {
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_GENERAL_WIN7_TOUCH)));
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, IDC_GENERAL_PICTURE_BROWSER)));
            EXPECT_EQ(Checked(page, IDC_GENERAL_WIN7_TOUCH), 1);
            EXPECT_EQ(touch.win7TouchMode, 1);
            SendDlgItemMessageW(page, IDC_GENERAL_WIN7_TOUCH, BM_CLICK, 0, 0);
            EXPECT_EQ(touch.win7TouchMode, 0);
            EXPECT_EQ(TrackerValue("data/ConfigSign.xml", "CORE:BOOLEAN:WIN7TOUCH"), 0) << "at once";
            SendDlgItemMessageW(page, IDC_GENERAL_PICTURE_BROWSER, BM_CLICK, 0, 0);
            EXPECT_EQ(tessaly::config::ReadInt(tessaly::config::kStartWin7Touch), 0) << "only when the page goes";
            s.Press(PSBTN_CANCEL);
        });
        EXPECT_EQ(tessaly::config::ReadInt(tessaly::config::kStartWin7Touch), 1);
    }
    folder.Write(L"data\\ConfigSign.xml", kTouchOn);
    testing_support::VersionScope enterprise;
    OnGeneralPage([&](DrivenOptionSheet& s, HWND page) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_GENERAL_WIN7_TOUCH)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_GENERAL_PICTURE_BROWSER)));
        EXPECT_EQ(Checked(page, IDC_GENERAL_WIN7_TOUCH), 0) << "the file's 1 does not count here";
        s.Press(PSBTN_CANCEL);
    });
    EXPECT_EQ(TrackerValue("data/ConfigSign.xml", "CORE:BOOLEAN:WIN7TOUCH"), 0) << "stored as shown";
}


// Switched on from the page where the system takes touch: the simulator starts at once
// and the mode is written, and switching off ends the simulator again.
TEST_F(GeneralPage, Windows7TouchSwitchedOnStartsTheSimulatorAndOffStopsIt)
{
    testing_support::InstallFolder folder(L"GeneralPageTouchOn");
    WriteSettings(folder, "[config]\r\nDEVICETYPE=1\r\n", kTracker);
    std::wstring simulator = testing_support::ProgramFolder() + L"\\pavora_standin_simulator.exe";
    ASSERT_TRUE(CopyFileW(simulator.c_str(), (folder.Path() + L"\\Pellux.exe").c_str(), FALSE));
    SetEnvironmentVariableW(L"PAVORA_SIMULATOR_DELAY", L"0");
    testing_support::DeviceTypeScope device(1);
    testing_support::VersionScope professional(testing_support::FakeVersion(6, 1, 48));
    TouchManager touch;
    bool started = false, stopped = false;
    OnGeneralPage([&](DrivenOptionSheet& s, HWND page) {
        EXPECT_EQ(Checked(page, IDC_GENERAL_WIN7_TOUCH), 0);
        SendDlgItemMessageW(page, IDC_GENERAL_WIN7_TOUCH, BM_CLICK, 0, 0);
        EXPECT_EQ(touch.win7TouchMode, 1);
        started = tessaly::IsProcessRunning(L"Pellux.exe") && FindWindowW(nullptr, L"Pellux");
        EXPECT_EQ(TrackerValue("data/ConfigSign.xml", "CORE:BOOLEAN:WIN7TOUCH"), 1) << "at once";
        SendDlgItemMessageW(page, IDC_GENERAL_WIN7_TOUCH, BM_CLICK, 0, 0);
        EXPECT_EQ(touch.win7TouchMode, 0);
        for (int i = 0; i < 250 && !stopped; ++i, Sleep(20)) stopped = !tessaly::IsProcessRunning(L"Pellux.exe");
        s.Press(PSBTN_CANCEL);
    });
    SetEnvironmentVariableW(L"PAVORA_SIMULATOR_DELAY", nullptr);
    KillProcessByName(L"Pellux.exe");
    EXPECT_TRUE(started);
    EXPECT_TRUE(stopped);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(TrackerValue("data/ConfigSign.xml", "CORE:BOOLEAN:WIN7TOUCH"), 0);
}

}  // namespace

namespace {

// The box and the output radios tell one story, and the page stores what they show: touch
// on means UDP, and any output the simulator cannot take ends touch mode.
TEST_F(GeneralPage, Windows7TouchAndTheOutputChoiceAreStoredTogether)
{
    const char kMouse[] =
        "<CONFIG><BOOLEAN><OSCMODE>0</OSCMODE><TCPMODE>0</TCPMODE></BOOLEAN></CONFIG>"
        "<CORE><BOOLEAN><TRANSMIT>0</TRANSMIT><WIN7TOUCH>0</WIN7TOUCH></BOOLEAN></CORE>";
    struct Case {
        const char* tracker;
        int click;
        int box, udp, mouse, tcp, multiPoint;  // shown after the click
        int oscMode, tcpMode, transmit, win7Touch;  // stored on close
    };
    const Case cases[] = {
        {kMouse, IDC_GENERAL_WIN7_TOUCH, 1, 1, 0, 0, 0, 1, 0, 0, 1},
        {kTouchOn, IDC_GENERAL_OUTPUT_MOUSE, 0, 0, 1, 0, 0, 0, 0, 0, 0},
        {kTouchOn, IDC_GENERAL_OUTPUT_TCP, 0, 0, 0, 1, 0, 0, 1, 0, 0},
        {kTouchOn, IDC_GENERAL_OUTPUT_MULTIPOINT, 0, 0, 0, 0, 1, 0, 0, 1, 0},
    };
    testing_support::InstallFolder folder(L"GeneralPageTouchOutput");
    folder.WriteConfig("[config]\r\nDEVICETYPE=3\r\n");
    testing_support::DeviceTypeScope device(3);  // nothing disabled
    testing_support::VersionScope windows8(testing_support::FakeVersion(6, 2, 0));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.click);
        folder.Write(L"data\\ConfigDI.xml", c.tracker);
        TouchManager touch;
        OnGeneralPage([&](DrivenOptionSheet& s, HWND page) {
            SendDlgItemMessageW(page, c.click, BM_CLICK, 0, 0);
            EXPECT_EQ(Checked(page, IDC_GENERAL_WIN7_TOUCH), c.box);
            EXPECT_EQ(Checked(page, IDC_GENERAL_OUTPUT_UDP), c.udp);
            EXPECT_EQ(Checked(page, IDC_GENERAL_OUTPUT_MOUSE), c.mouse);
            EXPECT_EQ(Checked(page, IDC_GENERAL_OUTPUT_TCP), c.tcp);
            EXPECT_EQ(Checked(page, IDC_GENERAL_OUTPUT_MULTIPOINT), c.multiPoint);
            s.Press(PSBTN_OK);
        });
        EXPECT_EQ(TrackerValue("data/ConfigDI.xml", "CONFIG:BOOLEAN:OSCMODE"), c.oscMode);
        EXPECT_EQ(TrackerValue("data/ConfigDI.xml", "CONFIG:BOOLEAN:TCPMODE"), c.tcpMode);
        EXPECT_EQ(TrackerValue("data/ConfigDI.xml", "CORE:BOOLEAN:TRANSMIT"), c.transmit);
        EXPECT_EQ(TrackerValue("data/ConfigDI.xml", "CORE:BOOLEAN:WIN7TOUCH"), c.win7Touch);
    }
    EXPECT_TRUE(boxes_.empty());
}

}  // namespace

namespace {

// Read-only settings files: the operator is told once per file, on the open sheet for
// what OK writes while it is open and on the sheet's owner for what the pages write as
// it goes, and the files stay as they were.
TEST_F(GeneralPage, SettingsThatCannotBeWrittenAreReportedOnceAndLeftAsTheyWere)
{
    testing_support::InstallFolder folder(L"GeneralPageReadOnly");
    const std::string ini = "[config]\r\nDEVICETYPE=1\r\n";
    WriteSettings(folder, ini, kMouseOnly);
    testing_support::DeviceTypeScope device(1);
    TouchManager touch;
    // A read-only tracker file, and a configuration file that another program holds open
    // for reading only (Wine lets root write read-only files in place).
    SetFileAttributesW(L"data\\ConfigSign.xml", FILE_ATTRIBUTE_READONLY);
    HANDLE held = CreateFileW(L"Bin\\config.ini", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    HWND host = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    kit::SetDefaultOwner(host);
    HWND sheetWindow = nullptr;
    DrivenOptionSheet sheet;
    sheet.steps = {
        [](DrivenOptionSheet& s) { s.Select(1); },
        [](DrivenOptionSheet& s) { s.Select(4); },
        [&](DrivenOptionSheet& s) {
            sheetWindow = s.Handle();
            s.Press(PSBTN_OK);
        },
    };
    sheet.DoModal();
    kit::SetDefaultOwner(nullptr);
    DestroyWindow(host);
    CloseHandle(held);
    SetFileAttributesW(L"data\\ConfigSign.xml", FILE_ATTRIBUTE_NORMAL);

    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[0].text, L"设置保存失败: data/ConfigSign.xml") << "the scene page's OK";
    EXPECT_EQ(boxes_[0].owner, sheetWindow);
    EXPECT_EQ(boxes_[1].text, L"设置保存失败: Bin\\config.ini") << "the general page's store";
    EXPECT_EQ(boxes_[1].owner, host);
    for (const auto& box : boxes_) EXPECT_EQ(box.caption, L"信息提示");
    EXPECT_EQ(folder.Read(L"Bin\\config.ini"), ini);
    EXPECT_EQ(folder.Read(L"data\\ConfigSign.xml"), kMouseOnly);
}

}  // namespace
