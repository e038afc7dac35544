#pragma once
// The tracker's XML configuration files: one per device type, chosen by the device
// type of the moment at every access, and the keys of them that this system touches.
// Every access uses a document of its own; nothing stays open between accesses.
#include <initializer_list>
#include <string>

class ofxXmlSettings;

namespace tessaly {

enum DeviceType {
    Light = 0,  // infrared light
    Sign = 1,   // infrared sign pen
    Laser = 2,
    DI = 3,     // infrared light, rear projection
};

// The current device's tracker file, relative to the installation folder. An unknown
// device type shows "没有配置此设备" and gives the empty path, at every call.
std::string TrackerConfigPath();
// Its factory defaults; empty, without a message, for an unknown device type.
std::string DefaultTrackerConfigPath();

// Integer values at index 0 of their element.
struct TrackerKey {
    const char* path;
    int defaultValue;
};

extern const TrackerKey kOscMode;        // UDP output
extern const TrackerKey kTcpMode;        // TCP output
extern const TrackerKey kTransmit;       // multi-point output to registered windows
extern const TrackerKey kWin7Touch;
extern const TrackerKey kMaxBlobs;
extern const TrackerKey kSmoothing;      // the pen's smoothing window
extern const TrackerKey kThreshold;
extern const TrackerKey kLaserMode;      // 1 display mode, 2 writing mode
extern const TrackerKey kTrackDark;

int ReadTrackerKey(ofxXmlSettings& file, const TrackerKey& key);
// One key from a fresh load of the current tracker file; the default when it cannot be loaded.
int ReadTrackerValue(const TrackerKey& key);

struct TrackerSetting {
    TrackerKey key;
    int value;
};

// Load, set, save again: a file that loaded keeps everything else; one that did not
// is replaced by a file holding only these keys (its old content kept beside it). True when the file now holds every value
// set; false when it could not be written (read-only, disk full), which leaves it as it was.
bool WriteTrackerSettings(std::initializer_list<TrackerSetting> settings);

enum class OutputMode { Mouse, Udp, Tcp, MultiPoint };

// Multi-point output wins over UDP, UDP over TCP; with none of them it is the mouse.
OutputMode ReadOutputMode(ofxXmlSettings& file);

}  // namespace tessaly
