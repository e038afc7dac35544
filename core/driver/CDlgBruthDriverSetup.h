#pragma once
// Installation of the driver of one INF file: which of its devices are present, and the
// installation itself.
#include <string>

#include "core/driver/DeviceInfoSet.h"

namespace DRIVER {

class CDlgBruthDriverSetup {
public:
    CDlgBruthDriverSetup() = default;
    virtual ~CDlgBruthDriverSetup() = default;
    CDlgBruthDriverSetup(const CDlgBruthDriverSetup&) = delete;
    CDlgBruthDriverSetup& operator=(const CDlgBruthDriverSetup&) = delete;

    // Reads the INF's hardware IDs and looks for a present device that one of them serves
    // (the last such device gives the hardware ID). False when the INF cannot be read.
    bool ScanInf(const std::wstring& infPath);
    // Whether a device that the INF serves is plugged in.
    bool IsDevicePresent(const std::wstring& infPath);
    // Installs the scanned INF for the hardware ID found (or the INF's first one).
    bool Install();
    // The whole installation, ending with a re-enumeration of the device tree.
    bool InstallFromInf(const std::wstring& infPath);

    const std::wstring& HardwareId() const { return hardwareId_; }
    const std::wstring& InfPath() const { return infPath_; }

private:
    bool TakeFirstModelId(const std::wstring& infPath);

    DeviceInfoSet devices_;
    std::wstring infPath_;
    std::wstring hardwareId_;
};

}  // namespace DRIVER
