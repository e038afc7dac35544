#include "launcher/LauncherSettings.h"

#include <windows.h>

namespace launcher {
namespace {

// Relative to the current directory, which is the installation folder.
constexpr wchar_t kConfigFile[] = L"Bin\\config.ini";
constexpr wchar_t kConfigSection[] = L"config";

int ReadConfigInt(const wchar_t* key, int defaultValue)
{
    return static_cast<int>(GetPrivateProfileIntW(kConfigSection, key, defaultValue, kConfigFile));
}

}  // namespace

bool IsPenMode()
{
    int deviceType = ReadConfigInt(L"DEVICETYPE", 0);
    return deviceType == 1 || deviceType == 2;
}

bool IsAutoRotation()
{
    return ReadConfigInt(L"auto", 0) != 0;
}

bool StartsMediaShow()
{
    return ReadConfigInt(L"StartWin7Touch", 0) != 0;
}

}  // namespace launcher
