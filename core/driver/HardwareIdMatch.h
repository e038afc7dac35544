#pragma once
#include <string>

namespace DRIVER {

// Whether a device's hardware ID is served by an INF's ID: letter case aside, the device ID
// contains the INF ID, and the device ID either ends there or goes on with "&", "-", "#"
// or "_" (a revision or interface suffix), not with more of a longer ID.
bool HardwareIdMatches(const std::wstring& deviceId, const std::wstring& infId);

}  // namespace DRIVER
