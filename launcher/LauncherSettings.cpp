#include "launcher/LauncherSettings.h"

#include <windows.h>

#include "core/text/ConfigKeys.h"

namespace launcher {
namespace {

int ReadConfigInt(const tessaly::config::IntKey& key)
{
    return static_cast<int>(GetPrivateProfileIntW(key.section, key.name, key.defaultValue, tessaly::config::kPath));
}

}  // namespace

bool IsPenMode()
{
    int deviceType = ReadConfigInt(tessaly::config::kDeviceType);
    return deviceType == 1 || deviceType == 2;
}

bool IsAutoRotation()
{
    return ReadConfigInt(tessaly::config::kAuto) != 0;
}

bool StartsMediaShow()
{
    return ReadConfigInt(tessaly::config::kStartWin7Touch) != 0;
}

}  // namespace launcher
