#include "core/touch/TouchManager.h"

#include <algorithm>

#include "core/frame/LibraryState.h"
#include "core/frame/TrackerFiles.h"
#include "core/text/ConfigFile.h"
#include "core/text/ofxXmlSettings.h"
#include "core/touch/TouchSupport.h"
#include "core/touch/TouchSimulator.h"

namespace {

int BlobSlots(int maxNumber)
{
    return maxNumber & 0xFF;
}

// How long a point must stay put for a right click when the configuration says 0.
int DefaultSamePointMilliseconds(int device)
{
    switch (device) {
    case tessaly::Sign: return 16;
    case tessaly::Laser: return 30;
    default: return 5;
    }
}

}  // namespace

TouchManager::TouchManager()
{
    namespace config = tessaly::config;
    current_ = this;

    win7TouchMode = tessaly::TouchPlatformSupported() ? 1 : 0;

    ofxXmlSettings tracker;
    tracker.loadFile(tessaly::TrackerConfigPath());
    smoothingLevel = deviceType == tessaly::Sign ? tessaly::ReadTrackerKey(tracker, tessaly::kSmoothing) : 0;
    blobCapacity = BlobSlots(tessaly::ReadTrackerKey(tracker, tessaly::kMaxBlobs));
    multiPointOutput = tessaly::ReadTrackerKey(tracker, tessaly::kTransmit) != 0;
    if (win7TouchMode) win7TouchMode = tessaly::ReadTrackerKey(tracker, tessaly::kWin7Touch) != 0;
    networkOutput = tessaly::ReadTrackerKey(tracker, tessaly::kOscMode) != 0 ||
                    tessaly::ReadTrackerKey(tracker, tessaly::kTcpMode) != 0;
    RebuildProcessors();

    rightClick = config::ReadInt(config::kRightClick) != 0;
    sendSocket = config::ReadInt(config::kSendSocket);
    filterWay = config::ReadInt(config::kFilterWay);
    int samePointMilliseconds = config::ReadInt(config::kSamePointTime);
    if (samePointMilliseconds == 0) samePointMilliseconds = DefaultSamePointMilliseconds(deviceType);
    samePointSeconds = samePointMilliseconds / 1000.0;
}

TouchManager::~TouchManager()
{
    if (current_ == this) current_ = nullptr;
}

TouchManager* TouchManager::current_ = nullptr;

TouchManager* TouchManager::Current()
{
    return current_;
}

TouchManager& TouchManager::CreateLibraryInstance()
{
    static TouchManager touch;
    return touch;
}

void TouchManager::RebuildProcessors()
{
    processors.clear();
    for (int slot = 0; slot < blobCapacity; ++slot) {
        CSmoothingProcesser processor;
        // Levels outside 0..200 leave the processor enabled as it was made.
        if (smoothingLevel >= 1 && smoothingLevel <= CSmoothingProcesser::kHistorySize) processor.enabled = 1;
        else if (smoothingLevel == 0) processor.enabled = 0;
        processor.level = smoothingLevel;
        processors.push_back(processor);
    }
}

void TouchManager::ReloadBlobCapacity()
{
    blobCapacity = BlobSlots(tessaly::ReadTrackerValue(tessaly::kMaxBlobs));
    RebuildProcessors();
}

void TouchManager::StopWindows7Touch()
{
    win7TouchMode = 0;
    tessaly::StopTouchSimulator();
}

void TouchManager::SelectMouseOutput()
{
    networkOutput = 0;
    multiPointOutput = 0;
    StopWindows7Touch();
    ReloadBlobCapacity();
}

void TouchManager::SelectUdpOutput()
{
    networkOutput = 1;
    multiPointOutput = 0;
    ReloadBlobCapacity();
}

void TouchManager::SelectTcpOutput()
{
    networkOutput = 1;
    multiPointOutput = 0;
    StopWindows7Touch();
    ReloadBlobCapacity();
}

void TouchManager::SelectMultiPointOutput()
{
    multiPointOutput = 1;
    StopWindows7Touch();
    ReloadBlobCapacity();
}

void TouchManager::SwitchWindows7Touch(bool on)
{
    if (on) {
        win7TouchMode = 1;
        tessaly::StartTouchSimulator(*this);
        SelectUdpOutput();
    } else {
        StopWindows7Touch();
    }
}

void TouchManager::SetWin7TouchMode()
{
    tessaly::StartTouchSimulator(*this);
    networkOutput = 1;
    multiPointOutput = 0;
    ReloadBlobCapacity();
}

void TouchManager::SetFilterWay(int way)
{
    filterWay = way;
}

void TouchManager::RegisterTouchWindow(HWND window)
{
    if (!multiPointOutput || !window) return;
    if (std::find(touchWindows.begin(), touchWindows.end(), window) != touchWindows.end()) return;
    touchWindows.push_back(window);
}

void TouchManager::UnregisterTouchWindow(HWND window)
{
    if (!window || touchWindows.empty()) return;
    auto found = std::find(touchWindows.begin(), touchWindows.end(), window);
    if (found != touchWindows.end()) touchWindows.erase(found);
}
