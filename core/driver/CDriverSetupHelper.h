#pragma once
// The SetupAPI steps of installing a driver for one hardware ID.
#include <windows.h>

#include <string>

namespace DRIVER {

class CDriverSetupHelper {
public:
    CDriverSetupHelper() = default;
    virtual ~CDriverSetupHelper() = default;

    // Whether a present device lists `hardwareId` (letter case aside) among its hardware IDs.
    bool IsHardwareIdPresent(const std::wstring& hardwareId);
    // Installs the INF's driver on the present devices of that ID, or creates a
    // root-enumerated device for it when none is present.
    bool UpdateOrCreateDevice(const std::wstring& infPath, const std::wstring& hardwareId, BOOL* rebootNeeded);
    // Registers a new root-enumerated device of the INF's class with that hardware ID and
    // installs the driver on it; the device is removed again when the driver fails.
    bool CreateRootDevice(const std::wstring& infPath, const std::wstring& hardwareId, BOOL* rebootNeeded);
};

}  // namespace DRIVER
