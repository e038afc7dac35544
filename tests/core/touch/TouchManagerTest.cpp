#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "core/library/BrimwellApp.h"
#include "core/library/TessalyApi.h"
#include "core/frame/TrackerFiles.h"
#include "core/touch/TouchManager.h"
#include "tests/support/InstallFolder.h"
#include "tests/support/TouchFakes.h"

namespace {

using namespace tessaly;
using testing_support::FakeVersion;
using testing_support::VersionScope;

const wchar_t* const kTrackerFiles[] = {L"data\\ConfigLight.xml", L"data\\ConfigSign.xml", L"data\\ConfigLaser.xml",
                                        L"data\\ConfigDI.xml"};

std::string Key(const std::string& path, const std::string& value)
{
    size_t colon = path.find(':');
    std::string name = path.substr(0, colon);
    return "<" + name + ">" + (colon == std::string::npos ? value : Key(path.substr(colon + 1), value)) + "</" +
           name + ">";
}

HWND FakeWindow(int n)
{
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1000 + n));
}

class TouchStateTest : public testing::Test {
protected:
    void WriteTracker(int device, const std::string& xml) { folder_.Write(kTrackerFiles[device], xml); }

    testing_support::InstallFolder folder_{L"touch"};
    testing_support::DeviceTypeScope device_{Light};
    VersionScope version_;  // an edition without touch
    testing_support::WaitScope noWaiting_{[](DWORD) {}};
};

TEST_F(TouchStateTest, BlobSlotsAreTheLowByteOfTheTrackersLimit)
{
    for (auto c : {std::make_pair("0", 0), std::make_pair("20", 20), std::make_pair("256", 0),
                   std::make_pair("300", 44), std::make_pair("", 20)}) {
        WriteTracker(Light, *c.first ? Key(kMaxBlobs.path, c.first) : "<CONFIG/>");
        TouchManager touch;
        EXPECT_EQ(c.second, touch.blobCapacity) << c.first;
        EXPECT_EQ(static_cast<size_t>(c.second), touch.processors.size());
    }
}

TEST_F(TouchStateTest, OnlyThePenTakesItsSmoothingLevel)
{
    struct Case {
        int device;
        const char* smoothing;
        int level, enabled;
    };
    const Case cases[] = {{Sign, "0", 0, 0},    {Sign, "200", 200, 1}, {Sign, "250", 250, 1}, {Sign, "-3", -3, 1},
                          {Sign, "", 15, 1},    {Light, "50", 0, 0},   {Laser, "50", 0, 0},   {DI, "50", 0, 0}};
    for (const Case& c : cases) {
        deviceType = c.device;
        std::string smoothing = *c.smoothing ? Key(kSmoothing.path, c.smoothing) : "";
        WriteTracker(c.device, smoothing + Key(kMaxBlobs.path, "2"));
        TouchManager touch;
        ASSERT_EQ(2u, touch.processors.size());
        EXPECT_EQ(c.level, touch.processors[1].level) << c.device << " " << c.smoothing;
        EXPECT_EQ(c.enabled, touch.processors[1].enabled) << c.device << " " << c.smoothing;
    }
}

TEST_F(TouchStateTest, OutputAndTouchModesAtLoad)
{
    const std::string on = Key(kWin7Touch.path, "1");
    const std::string transmit = Key(kTransmit.path, "1");
    const std::string osc0 = Key("CONFIG:BOOLEAN", "<OSCMODE>0</OSCMODE>");
    const std::string both0 = Key("CONFIG:BOOLEAN", "<OSCMODE>0</OSCMODE><TCPMODE>0</TCPMODE>");
    struct Case {
        DWORD product;
        std::string xml;
        int win7, network, multiPoint;
    };
    const Case cases[] = {{3, on, 1, 1, 0},         {3, "<CORE/>", 0, 1, 0},        {4, on, 0, 1, 0},
                          {4, osc0, 0, 1, 0},       {4, both0, 0, 0, 0},            {4, both0 + transmit, 0, 0, 1}};
    for (const Case& c : cases) {
        VersionScope version(FakeVersion(6, 1, c.product));
        WriteTracker(Light, c.xml);
        TouchManager touch;
        EXPECT_EQ(c.win7, touch.win7TouchMode) << c.product << " " << c.xml;
        EXPECT_EQ(c.win7 != 0, IsWindows7TouchMode());
        EXPECT_EQ(c.network, touch.networkOutput) << c.xml;
        EXPECT_EQ(c.multiPoint, touch.multiPointOutput) << c.xml;
    }
}

TEST_F(TouchStateTest, ConfigurationValuesAndTheDevicesSamePointTimes)
{
    const double defaults[] = {0.005, 0.016, 0.03, 0.005};
    for (int device = Light; device <= DI; ++device) {
        deviceType = device;
        folder_.WriteConfig("");
        TouchManager byDevice;
        EXPECT_TRUE(byDevice.rightClick);
        EXPECT_EQ(0, byDevice.filterWay);
        EXPECT_DOUBLE_EQ(defaults[device], byDevice.samePointSeconds) << device;

        folder_.WriteConfig("[config]\r\nSendSocket=3\r\nFilterWay=2\r\n[rightmouse]\r\nrightClick=0\r\nisSamePoint=40\r\n");
        TouchManager configured;
        EXPECT_FALSE(configured.rightClick);
        EXPECT_EQ(3, configured.sendSocket);
        EXPECT_EQ(2, configured.filterWay);
        EXPECT_DOUBLE_EQ(0.04, configured.samePointSeconds) << device;
    }
}

TEST_F(TouchStateTest, OutputChoicesReloadTheBlobLimitOfTheMoment)
{
    TouchManager touch;
    touch.win7TouchMode = 1;
    WriteTracker(Light, Key(kMaxBlobs.path, "5"));
    touch.SelectUdpOutput();
    EXPECT_EQ((std::vector<int>{1, 0, 1}),
              (std::vector<int>{touch.networkOutput, touch.multiPointOutput, touch.win7TouchMode}));
    EXPECT_EQ(5u, touch.processors.size());

    touch.SelectTcpOutput();
    EXPECT_EQ((std::vector<int>{1, 0, 0}),
              (std::vector<int>{touch.networkOutput, touch.multiPointOutput, touch.win7TouchMode}));

    touch.win7TouchMode = 1;
    touch.SelectMultiPointOutput();  // the network flag stays as it was
    EXPECT_EQ((std::vector<int>{1, 1, 0}),
              (std::vector<int>{touch.networkOutput, touch.multiPointOutput, touch.win7TouchMode}));

    deviceType = Laser;
    WriteTracker(Laser, Key(kMaxBlobs.path, "300"));
    touch.win7TouchMode = 1;
    touch.SelectMouseOutput();
    EXPECT_EQ((std::vector<int>{0, 0, 0}),
              (std::vector<int>{touch.networkOutput, touch.multiPointOutput, touch.win7TouchMode}));
    EXPECT_EQ(44u, touch.processors.size());

    touch.SetFilterWay(1);
    EXPECT_EQ(1, touch.filterWay);
}

TEST_F(TouchStateTest, SetWin7TouchModeSendsOverTheNetworkWithoutWritingFiles)
{
    WriteTracker(Light, Key(kTransmit.path, "1"));
    TouchManager touch;
    ASSERT_EQ(1, touch.multiPointOutput);
    touch.networkOutput = 0;
    WriteTracker(Light, Key(kMaxBlobs.path, "2") + "<!--as it was-->");
    SetWin7TouchMode();
    EXPECT_EQ(1, touch.networkOutput);
    EXPECT_EQ(0, touch.multiPointOutput);
    EXPECT_EQ(0, touch.win7TouchMode);  // not switched by this call
    EXPECT_EQ(2u, touch.processors.size());
    EXPECT_NE(std::string::npos, folder_.Read(kTrackerFiles[Light]).find("as it was"));
}

TEST_F(TouchStateTest, TouchWindowsAreRegisteredOnceAndOnlyForMultiPointOutput)
{
    {
        TouchManager touch;
        EXPECT_EQ(&touch, TouchManager::Current());
        MyRegisterTouchWindow(FakeWindow(1));
        EXPECT_TRUE(touch.touchWindows.empty());

        touch.multiPointOutput = 1;
        for (int n : {1, 2, 1, 0, 3}) MyRegisterTouchWindow(n ? FakeWindow(n) : nullptr);
        EXPECT_EQ((std::vector<HWND>{FakeWindow(1), FakeWindow(2), FakeWindow(3)}), touch.touchWindows);
        MyUnRegisterTouchWindow(FakeWindow(9));
        MyUnRegisterTouchWindow(nullptr);
        touch.multiPointOutput = 0;  // unregistering works in any mode
        MyUnRegisterTouchWindow(FakeWindow(2));
        EXPECT_EQ((std::vector<HWND>{FakeWindow(1), FakeWindow(3)}), touch.touchWindows);
    }
    // Without a touch state the exports do nothing.
    EXPECT_EQ(nullptr, TouchManager::Current());
    EXPECT_FALSE(IsWindows7TouchMode());
    MyRegisterTouchWindow(FakeWindow(1));
    SetWin7TouchMode();
}

TEST(SmoothingProcesser, AveragesWithinItsHistory)
{
    CSmoothingProcesser three;
    three.level = 3;
    for (float x : {3.0f, 6.0f, 9.0f}) three.Process(CPointF(x, 10 * x));
    CPointF smoothed = three.Process(CPointF(12.0f, 120.0f));
    EXPECT_EQ(9.0f, smoothed.x);
    EXPECT_EQ(90.0f, three.output.y);

    // Levels outside 1..200 leave a processor enabled: it must still stay in its 200 points.
    CSmoothingProcesser wide;
    wide.level = 250;
    for (int i = 0; i < 450; ++i) wide.Process(CPointF(static_cast<float>(i), 0.0f));
    EXPECT_EQ(200, wide.historyCount);
    EXPECT_FLOAT_EQ((250 + 449) / 2.0f, wide.output.x);
    CSmoothingProcesser negative;
    negative.level = -3;
    negative.Process(CPointF(1.0f, 1.0f));
    EXPECT_EQ(7.0f, negative.Process(CPointF(7.0f, 2.0f)).x);
    CSmoothingProcesser broken;
    broken.historyIndex = 5000;
    broken.historyCount = -8;
    EXPECT_EQ(2.0f, broken.Process(CPointF(2.0f, 2.0f)).x);

    CSmoothingProcesser disabled;
    disabled.enabled = 0;
    EXPECT_EQ(8.0f, disabled.Process(CPointF(8.0f, 1.0f)).x);
    EXPECT_EQ(0, disabled.historyCount);

    CSmoothingProcesser copy = three;
    EXPECT_EQ(12.0f, copy.history[3].x);
    EXPECT_EQ(9.0f, copy.output.x);
}

}  // namespace
