#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/frame/CameraList.h"
#include "core/frame/TrackerFiles.h"
#include "core/text/ofxXmlSettings.h"
#include "tests/support/InstallFolder.h"
#include "tests/support/MessageBoxRecorder.h"

namespace {

using namespace tessaly;
using testing_support::DeviceTypeScope;
using testing_support::InstallFolder;

struct DeviceFile {
    const char* config;
    const char* factoryDefaults;
    const wchar_t* fileName;
};

// By device type.
const DeviceFile kDevices[] = {
    {"data/ConfigLight.xml", "data//DefaultConfigLight.xml", L"ConfigLight.xml"},
    {"data/ConfigSign.xml", "data//DefaultConfigSign.xml", L"ConfigSign.xml"},
    {"data/ConfigLaser.xml", "data//DefaultConfigLaser.xml", L"ConfigLaser.xml"},
    {"data/ConfigDI.xml", "data//DefaultConfigDI.xml", L"ConfigDI.xml"},
};

const wchar_t kCameraFile[] = L"data\\multiplexer_settings.xml";

std::vector<std::wstring> FilesInData()
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(L"data\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

ofxXmlSettings Load(const std::string& path)
{
    ofxXmlSettings file;
    EXPECT_TRUE(file.loadFile(path)) << path;
    return file;
}

TEST(TrackerFiles, EachDeviceHasItsFilesAndWritesOnlyItsOwn)
{
    for (int type = Light; type <= DI; ++type) {
        InstallFolder folder(L"tracker_device");
        DeviceTypeScope device(type);
        EXPECT_EQ(kDevices[type].config, TrackerConfigPath());
        EXPECT_EQ(kDevices[type].factoryDefaults, DefaultTrackerConfigPath());
        WriteTrackerSettings({{kThreshold, 77}});
        EXPECT_EQ(std::vector<std::wstring>{kDevices[type].fileName}, FilesInData());
        EXPECT_EQ(77, ReadTrackerValue(kThreshold));
    }
}

TEST(TrackerFiles, UnknownDeviceTypeIsReportedAtEveryLookupAndWritesNothing)
{
    InstallFolder folder(L"tracker_unknown");
    for (int unknown : {4, -1}) {
        DeviceTypeScope device(unknown);
        testing_support::MessageBoxRecorder boxes;
        EXPECT_EQ("", DefaultTrackerConfigPath());  // silently
        EXPECT_EQ(20, ReadTrackerValue(kMaxBlobs));
        WriteTrackerSettings({{kThreshold, 1}});
        ASSERT_EQ(3u, boxes.calls.size());
        EXPECT_EQ(nullptr, boxes.calls[2].owner);
        EXPECT_EQ(L"没有配置此设备", boxes.calls[2].text);
        EXPECT_EQ(L"信息提示", boxes.calls[2].caption);
        EXPECT_EQ(static_cast<UINT>(MB_OK), boxes.calls[2].type);
    }
    EXPECT_TRUE(FilesInData().empty());
}

TEST(TrackerFiles, WritesGoToTheFileOfTheMomentAndKeepWhatLoaded)
{
    InstallFolder folder(L"tracker_write");
    folder.Write(L"data\\ConfigLight.xml", "<CONFIG><INT><THRESHOLD>5</THRESHOLD><OWN>3</OWN></INT></CONFIG>");
    DeviceTypeScope device(Light);
    WriteTrackerSettings({{kThreshold, 60}, {kTransmit, 1}});
    ofxXmlSettings light = Load(kDevices[Light].config);
    EXPECT_EQ(60, light.getValue("CONFIG:INT:THRESHOLD", 0, 0));
    EXPECT_EQ(3, light.getValue("CONFIG:INT:OWN", 0, 0));
    EXPECT_EQ(1, light.getValue("CORE:BOOLEAN:TRANSMIT", 0, 0));

    // A missing or malformed file is replaced by one with only the keys just set.
    deviceType = Sign;
    folder.Write(L"data\\ConfigSign.xml", "<CONFIG><INT><THRESHOLD>5</THRESHOLD></INT>");
    WriteTrackerSettings({{kOscMode, 1}, {kTcpMode, 0}});
    ofxXmlSettings sign = Load(kDevices[Sign].config);
    EXPECT_FALSE(sign.tagExists("CONFIG:INT", 0));
    EXPECT_FALSE(sign.tagExists("CORE", 0));
    EXPECT_EQ(1, sign.getValue("CONFIG:BOOLEAN:OSCMODE", -1, 0));
    EXPECT_EQ(0, sign.getValue("CONFIG:BOOLEAN:TCPMODE", -1, 0));
    EXPECT_EQ(10, ReadTrackerValue(kThreshold));  // the default: nothing of the old file is left
}

TEST(TrackerFiles, OutputModePrecedence)
{
    const std::string osc0 = "<CONFIG><BOOLEAN><OSCMODE>0</OSCMODE></BOOLEAN></CONFIG>";
    const std::string both0 = "<CONFIG><BOOLEAN><OSCMODE>0</OSCMODE><TCPMODE>0</TCPMODE></BOOLEAN></CONFIG>";
    const std::string both1 = "<CONFIG><BOOLEAN><OSCMODE>1</OSCMODE><TCPMODE>1</TCPMODE></BOOLEAN></CONFIG>";
    const std::string transmit = "<CORE><BOOLEAN><TRANSMIT>1</TRANSMIT></BOOLEAN></CORE>";
    struct Case {
        std::string xml;
        OutputMode mode;
    };
    const Case cases[] = {{"", OutputMode::Udp}, {osc0, OutputMode::Tcp}, {both0, OutputMode::Mouse},
                          {both1, OutputMode::Udp}, {both1 + transmit, OutputMode::MultiPoint},
                          {both0 + transmit, OutputMode::MultiPoint}};
    InstallFolder folder(L"tracker_mode");
    for (const Case& c : cases) {
        folder.Write(L"data\\mode.xml", c.xml);
        ofxXmlSettings file;
        file.loadFile("mode.xml");
        EXPECT_EQ(static_cast<int>(c.mode), static_cast<int>(ReadOutputMode(file))) << c.xml;
    }
}

// The installation's own files, as the build stages them.
TEST(TrackerFiles, TheInstallationsFilesHoldEveryKey)
{
    InstallFolder folder(L"tracker_staged");
    const std::wstring staged = testing_support::ProgramFolder() + L"\\..\\stage\\data\\";
    std::vector<std::wstring> names = {L"multiplexer_settings.xml"};
    for (const DeviceFile& device : kDevices) {
        names.push_back(device.fileName);
        names.push_back(std::wstring(L"Default") + device.fileName);
    }
    for (const std::wstring& name : names)
        ASSERT_TRUE(CopyFileW((staged + name).c_str(), (folder.Path() + L"\\data\\" + name).c_str(), FALSE)) << name;

    for (const DeviceFile& device : kDevices) {
        for (const char* path : {device.config, device.factoryDefaults}) {
            ofxXmlSettings file = Load(path);
            for (const TrackerKey& key :
                 {kOscMode, kTcpMode, kTransmit, kWin7Touch, kMaxBlobs, kSmoothing, kThreshold, kLaserMode, kTrackDark})
                EXPECT_TRUE(file.tagExists(key.path, 0)) << path << " " << key.path;
        }
    }
    std::vector<CameraEntry> cameras;
    LoadCameraList(cameras);
    EXPECT_EQ(1u, cameras.size());
}

TEST(CameraList, LoadsEveryCameraWithDefaultsForWhatIsMissing)
{
    InstallFolder folder(L"cameras_load");
    folder.Write(kCameraFile,
                 "<MULTIPLEXER><CAMERAS>"
                 "<CAMERA><TYPE>PS3</TYPE><GUID>{A}</GUID><cameraname>left</cameraname><USED>0</USED>"
                 "<INDEX>2</INDEX></CAMERA>"
                 "<CAMERA><cameraname>right</cameraname></CAMERA>"
                 "</CAMERAS></MULTIPLEXER>");
    std::vector<CameraEntry> cameras(5);
    LoadCameraList(cameras);
    ASSERT_EQ(2u, cameras.size());
    EXPECT_EQ("PS3", cameras[0].type);
    EXPECT_EQ("{A}", cameras[0].guid);
    EXPECT_EQ("left", cameras[0].name);
    EXPECT_FALSE(cameras[0].used);
    EXPECT_EQ(2, cameras[0].index);
    EXPECT_EQ("right", cameras[1].name);
    EXPECT_TRUE(cameras[1].used);
    EXPECT_EQ(1, cameras[1].index);
    EXPECT_EQ("NONE", cameras[1].type);
    EXPECT_EQ("{00000000-0000-0000-0000-000000000000}", cameras[1].guid);
}

TEST(CameraList, SavingRewritesOnlyTheListedCameras)
{
    InstallFolder folder(L"cameras_save");
    folder.Write(kCameraFile,
                 "<MULTIPLEXER><OWN>keep</OWN><CAMERAS>"
                 "<CAMERA><TYPE>PS3</TYPE><cameraname>first</cameraname><EXTRA>lost</EXTRA></CAMERA>"
                 "<CAMERA><cameraname>second</cameraname><EXTRA>stays</EXTRA></CAMERA>"
                 "<CAMERA><cameraname>third</cameraname><USED>0</USED></CAMERA>"
                 "</CAMERAS></MULTIPLEXER>");
    CameraEntry camera;
    camera.index = 4;
    camera.name = "renamed";
    camera.guid = "{9}";
    SaveCameraList({camera});

    const std::string file = folder.Read(kCameraFile);
    const size_t first = file.find("<CAMERA>");
    const size_t second = file.find("<CAMERA>", first + 1);
    std::vector<size_t> order;
    for (const char* tag : {"<GUID>{9}", "<TYPE>NONE", "<INDEX>4", "<USED>1", "<cameraname>renamed"})
        order.push_back(file.find(tag, first));
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
    EXPECT_LT(order.back(), second);
    EXPECT_EQ(std::string::npos, file.find("lost"));
    EXPECT_NE(std::string::npos, file.find("stays"));
    EXPECT_NE(std::string::npos, file.find("<OWN>keep</OWN>"));

    std::vector<CameraEntry> cameras;
    LoadCameraList(cameras);
    ASSERT_EQ(3u, cameras.size());
    EXPECT_EQ("renamed", cameras[0].name);
    EXPECT_EQ("second", cameras[1].name);
    EXPECT_FALSE(cameras[2].used);
}

TEST(CameraList, NoFileOrNoListIsLeftAlone)
{
    InstallFolder folder(L"cameras_none");
    std::vector<CameraEntry> cameras(2);
    LoadCameraList(cameras);
    EXPECT_TRUE(cameras.empty());
    SaveCameraList(std::vector<CameraEntry>(2));
    EXPECT_FALSE(folder.Exists(kCameraFile));

    const std::string withoutList = "<MULTIPLEXER><OTHER>1</OTHER></MULTIPLEXER>";
    folder.Write(kCameraFile, withoutList);
    testing::internal::CaptureStdout();
    LoadCameraList(cameras);
    SaveCameraList(std::vector<CameraEntry>(1));
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(cameras.empty());
    EXPECT_EQ(withoutList, folder.Read(kCameraFile));
}

}  // namespace
