#include "core/frame/TrackerFiles.h"

#include <windows.h>

#include "core/frame/LibraryState.h"
#include "core/text/ofxXmlSettings.h"
#include "framework/MessageBox.h"

namespace tessaly {
namespace {

struct DeviceFiles {
    const char* config;
    const char* factoryDefaults;
};

// Indexed by device type. The doubled slashes are how the files have always been named.
const DeviceFiles kDeviceFiles[] = {
    {"data/ConfigLight.xml", "data//DefaultConfigLight.xml"},
    {"data/ConfigSign.xml", "data//DefaultConfigSign.xml"},
    {"data/ConfigLaser.xml", "data//DefaultConfigLaser.xml"},
    {"data/ConfigDI.xml", "data//DefaultConfigDI.xml"},
};

const DeviceFiles* CurrentDeviceFiles()
{
    if (deviceType < Light || deviceType > DI) return nullptr;
    return &kDeviceFiles[deviceType];
}

}  // namespace

const TrackerKey kOscMode = {"CONFIG:BOOLEAN:OSCMODE", 1};
const TrackerKey kTcpMode = {"CONFIG:BOOLEAN:TCPMODE", 1};
const TrackerKey kTransmit = {"CORE:BOOLEAN:TRANSMIT", 0};
const TrackerKey kWin7Touch = {"CORE:BOOLEAN:WIN7TOUCH", 0};
const TrackerKey kMaxBlobs = {"CONFIG:BLOBS:MAXNUMBER", 20};
const TrackerKey kSmoothing = {"CORE:INT:SMOOTHING", 15};
const TrackerKey kThreshold = {"CONFIG:INT:THRESHOLD", 10};
const TrackerKey kLaserMode = {"CONFIG:INT:SMOOTH", 1};
const TrackerKey kTrackDark = {"CONFIG:BOOLEAN:TRACKDARK", 0};

std::string TrackerConfigPath()
{
    const DeviceFiles* files = CurrentDeviceFiles();
    if (files) return files->config;
    kit::ShowMessageBox(nullptr, L"没有配置此设备", L"信息提示", MB_OK);
    return std::string();
}

std::string DefaultTrackerConfigPath()
{
    const DeviceFiles* files = CurrentDeviceFiles();
    return files ? files->factoryDefaults : std::string();
}

int ReadTrackerKey(ofxXmlSettings& file, const TrackerKey& key)
{
    return file.getValue(key.path, key.defaultValue, 0);
}

int ReadTrackerValue(const TrackerKey& key)
{
    ofxXmlSettings file;
    file.loadFile(TrackerConfigPath());
    return ReadTrackerKey(file, key);
}

bool WriteTrackerSettings(std::initializer_list<TrackerSetting> settings)
{
    ofxXmlSettings file;
    file.loadFile(TrackerConfigPath());
    for (const TrackerSetting& setting : settings) file.setValue(setting.key.path, setting.value, 0);
    // Looked up again: the path follows the device type of this moment.
    const std::string path = TrackerConfigPath();
    file.saveFile(path);
    // The document's save does not say whether it wrote the file: what the file now holds does.
    ofxXmlSettings written;
    if (!written.loadFile(path)) return false;
    for (const TrackerSetting& setting : settings) {
        if (!written.tagExists(setting.key.path, 0) || written.getValue(setting.key.path, 0, 0) != setting.value)
            return false;
    }
    return true;
}

OutputMode ReadOutputMode(ofxXmlSettings& file)
{
    if (ReadTrackerKey(file, kTransmit)) return OutputMode::MultiPoint;
    if (ReadTrackerKey(file, kOscMode)) return OutputMode::Udp;
    if (ReadTrackerKey(file, kTcpMode)) return OutputMode::Tcp;
    return OutputMode::Mouse;
}

}  // namespace tessaly
