#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "core/resources/ScenePageIds.h"
#include "core/settings/ScencePage.h"
#include "core/text/ConfigFile.h"
#include "core/text/ofxXmlSettings.h"
#include "framework/DataExchange.h"
#include "framework/MessageBox.h"
#include "tests/support/OptionSheetDriver.h"
#include "tests/support/InstallFolder.h"

using testing_support::DrivenOptionSheet;
using testing_support::TurnTo;

namespace {

constexpr int kSceneEntry = 4;

int TrackerValue(const char* key, int missing = -1)
{
    ofxXmlSettings xml;
    if (!xml.loadFile("data/ConfigLight.xml")) return -2;
    return xml.getValue(key, missing, 0);
}

std::string Bytes(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

int SliderPosition(HWND page)
{
    return static_cast<int>(SendDlgItemMessageW(page, IDC_SCENE_THRESHOLD, TBM_GETPOS, 0, 0));
}

// The user lets go of the slider at `position`.
void MoveSlider(HWND page, int position)
{
    HWND slider = GetDlgItem(page, IDC_SCENE_THRESHOLD);
    SendMessageW(slider, TBM_SETPOS, TRUE, position);
    NMHDR header = {slider, static_cast<UINT_PTR>(IDC_SCENE_THRESHOLD), static_cast<UINT>(NM_RELEASEDCAPTURE)};
    SendMessageW(page, WM_NOTIFY, IDC_SCENE_THRESHOLD, reinterpret_cast<LPARAM>(&header));
}

class ScenePage : public testing::Test {
protected:
    void SetUp() override
    {
        kit::SetMessageBoxHook([](const kit::MessageBoxCall& call) {
            ADD_FAILURE() << "unexpected message box " << call.caption.size();
            return kit::FirstButtonOf(call.type);
        });
    }
    // Opens the sheet on the scene page, runs `check` there and closes with `button`.
    void Run(std::function<void(CScencePage&)> check, int button)
    {
        DrivenOptionSheet sheet;
        sheet.steps = TurnTo(kSceneEntry, &DrivenOptionSheet::ScenePage, [&](DrivenOptionSheet& s, HWND) {
            check(s.ScenePage());
            s.Press(button);
        });
        sheet.DoModal();
    }

    testing_support::InstallFolder folder_{L"ScenePage"};
    testing_support::DeviceTypeScope device_{0};
};

TEST_F(ScenePage, MissingThresholdOpensAtTenAndApplyWritesItWithTheLaserModeUnchanged)
{
    folder_.WriteConfig("[config]\r\nmanualcalibrate=1\r\n");
    folder_.Write(L"data\\ConfigLight.xml",
                  "<CONFIG><INT><SMOOTH>2</SMOOTH></INT><BOOLEAN><TRACKDARK>1</TRACKDARK></BOOLEAN>"
                  "<OWN>7</OWN></CONFIG>");
    Run(
        [](CScencePage& scene) {
            HWND page = scene.Handle();
            EXPECT_EQ(SliderPosition(page), 10);
            EXPECT_EQ(kit::ReadText(page, IDC_SCENE_THRESHOLD_VALUE), L"10");
            EXPECT_FALSE(kit::IsChecked(page, IDC_SCENE_DISPLAY_MODE));
            EXPECT_TRUE(kit::IsChecked(page, IDC_SCENE_WRITING_MODE));
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_SCENE_DISPLAY_MODE)));
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_SCENE_WRITING_MODE)));
            EXPECT_TRUE(kit::IsChecked(page, IDC_SCENE_TRACK_DARK));
            EXPECT_TRUE(kit::IsChecked(page, IDC_SCENE_MANUAL_CALIBRATE));
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, IDC_SCENE_SHAPED_AREA)));
            EXPECT_EQ(SendDlgItemMessageW(page, IDC_SCENE_THRESHOLD, TBM_GETRANGEMIN, 0, 0), 1);
            EXPECT_EQ(SendDlgItemMessageW(page, IDC_SCENE_THRESHOLD, TBM_GETRANGEMAX, 0, 0), 150);
            SendDlgItemMessageW(page, IDC_SCENE_TRACK_DARK, BM_CLICK, 0, 0);
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(GetParent(page), 0x3021))) << "Apply offered";
            PropSheet_PressButton(GetParent(page), PSBTN_APPLYNOW);
            MSG msg;  // the press arrives as a message
            for (int i = 0; i < 50 && TrackerValue("CONFIG:INT:THRESHOLD") != 10; ++i) {
                while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
                Sleep(10);
            }
            EXPECT_EQ(TrackerValue("CONFIG:INT:THRESHOLD"), 10) << "written by Apply, the sheet still open";
        },
        PSBTN_CANCEL);
    EXPECT_EQ(TrackerValue("CONFIG:INT:THRESHOLD"), 10);
    EXPECT_EQ(TrackerValue("CONFIG:INT:SMOOTH"), 2);
    EXPECT_EQ(TrackerValue("CONFIG:BOOLEAN:TRACKDARK"), 0);
    EXPECT_EQ(TrackerValue("CONFIG:OWN"), 7) << "the rest of the file stays";
}

TEST_F(ScenePage, AStoredThresholdBeyondTheSliderIsWrittenBackUnchanged)
{
    folder_.WriteConfig("[config]\r\n");
    folder_.Write(L"data\\ConfigLight.xml", "<CONFIG><INT><THRESHOLD>200</THRESHOLD><SMOOTH>1</SMOOTH></INT></CONFIG>");
    Run(
        [](CScencePage& scene) {
            EXPECT_EQ(SliderPosition(scene.Handle()), 150);
            EXPECT_EQ(kit::ReadText(scene.Handle(), IDC_SCENE_THRESHOLD_VALUE), L"200");
            EXPECT_EQ(scene.Threshold(), 200);
        },
        PSBTN_OK);
    EXPECT_EQ(TrackerValue("CONFIG:INT:THRESHOLD"), 200);
}

TEST_F(ScenePage, SliderAndDarkBlobsAreKeptOnlyByOkOrApply)
{
    folder_.WriteConfig("[config]\r\nmanualcalibrate=0\r\n");
    folder_.Write(L"data\\ConfigLight.xml", "<CONFIG><INT><THRESHOLD>40</THRESHOLD></INT></CONFIG>");
    std::string before = Bytes("data/ConfigLight.xml");
    Run(
        [](CScencePage& scene) {
            HWND page = scene.Handle();
            MoveSlider(page, 33);
            EXPECT_EQ(scene.Threshold(), 33);
            EXPECT_EQ(kit::ReadText(page, IDC_SCENE_THRESHOLD_VALUE), L"40") << "the label keeps its first value";
            SendDlgItemMessageW(page, IDC_SCENE_TRACK_DARK, BM_CLICK, 0, 0);
            SendDlgItemMessageW(page, IDC_SCENE_MANUAL_CALIBRATE, BM_CLICK, 0, 0);
            EXPECT_EQ(tessaly::config::ReadInt(tessaly::config::kManualCalibrate), 1) << "at once";
        },
        PSBTN_CANCEL);
    EXPECT_EQ(Bytes("data/ConfigLight.xml"), before);
    EXPECT_EQ(tessaly::config::ReadInt(tessaly::config::kManualCalibrate), 1);

    Run([](CScencePage& scene) { MoveSlider(scene.Handle(), 33); }, PSBTN_OK);
    EXPECT_EQ(TrackerValue("CONFIG:INT:THRESHOLD"), 33);
    EXPECT_EQ(TrackerValue("CONFIG:INT:SMOOTH"), 1) << "default laser mode written";
}

TEST_F(ScenePage, ProviderBoxAndItsHelpLink)
{
    folder_.Write(L"open.cmd", "@echo opened> opened.txt\r\n");
    folder_.WriteConfig("[copyright]\r\ncompany=Acme Projection\r\ncontact=Call 12345\r\nhelp=open.cmd\r\n");
    folder_.Write(L"data\\ConfigLight.xml", "<CONFIG></CONFIG>");
    Run(
        [](CScencePage& scene) {
            HWND page = scene.Handle();
            EXPECT_EQ(kit::ReadText(page, IDC_SCENE_COMPANY), L"Acme Projection");
            EXPECT_EQ(kit::ReadText(page, IDC_SCENE_CONTACT), L"Call 12345");
            CLabel& link = scene.HelpLink();
            EXPECT_TRUE(IsWindowVisible(link.Window()));
            EXPECT_TRUE(link.IsLink());
            EXPECT_EQ(link.TextColor(), RGB(0, 0, 255));
            EXPECT_NE(GetWindowLongW(link.Window(), GWL_STYLE) & SS_NOTIFY, 0);
            EXPECT_EQ(link.LinkTarget(), L"open.cmd");
            SendMessageW(link.Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        },
        PSBTN_CANCEL);
    bool opened = false;
    for (int i = 0; i < 200 && !opened; ++i, Sleep(50)) opened = folder_.Exists(L"opened.txt");
    EXPECT_TRUE(opened);

    folder_.WriteConfig("[copyright]\r\ncompany=Acme Projection\r\n");
    Run(
        [](CScencePage& scene) {
            EXPECT_FALSE(IsWindowVisible(scene.HelpLink().Window()));
            EXPECT_EQ(kit::ReadText(scene.Handle(), IDC_SCENE_CONTACT), L"");
        },
        PSBTN_CANCEL);
}

// The power options are opened hidden and not waited for. A stand-in named like the
// system's program, in the current directory, is found before the system folder.
TEST_F(ScenePage, PowerOptionsStartHiddenWithoutWaiting)
{
    folder_.Write(L"data\\ConfigLight.xml", "<CONFIG></CONFIG>");
    std::wstring standIn = folder_.Path() + L"\\rundll32.exe";
    ASSERT_TRUE(CopyFileW((testing_support::ProgramFolder() + L"\\pavora_test_process.exe").c_str(), standIn.c_str(), FALSE));
    DWORD clickTook = 0;
    Run(
        [&](CScencePage& scene) {
            DWORD start = GetTickCount();
            SendMessageW(scene.Handle(), WM_COMMAND, MAKEWPARAM(IDC_SCENE_POWER_OPTIONS, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(scene.Handle(), IDC_SCENE_POWER_OPTIONS)));
            clickTook = GetTickCount() - start;
        },
        PSBTN_CANCEL);
    EXPECT_LT(clickTook, 2000u) << "the click waited for the program";

    // The stand-in runs until it is ended: find it by its own path and end it.
    bool found = false;
    for (int i = 0; i < 100 && !found; ++i, Sleep(50)) {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32W entry = {};
        entry.dwSize = sizeof(entry);
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
            if (lstrcmpiW(entry.szExeFile, L"rundll32.exe") != 0) continue;
            HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE,
                                         entry.th32ProcessID);
            if (!process) continue;
            wchar_t image[MAX_PATH] = L"";
            DWORD size = MAX_PATH;
            if (QueryFullProcessImageNameW(process, 0, image, &size) && lstrcmpiW(image, standIn.c_str()) == 0) {
                found = true;
                TerminateProcess(process, 0);
                WaitForSingleObject(process, 5000);
            }
            CloseHandle(process);
        }
        CloseHandle(snapshot);
    }
    EXPECT_TRUE(found) << "the power options program was not started";
}

}  // namespace
