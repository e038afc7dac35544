#pragma once
#include <windows.h>
#include <setupapi.h>

namespace DRIVER {

// A SetupAPI device information set, destroyed when the object goes or is reset, with the
// thread's last-error value kept across the destruction (callers read it afterwards).
class DeviceInfoSet {
public:
    DeviceInfoSet() = default;
    explicit DeviceInfoSet(HDEVINFO set) : set_(set) {}
    ~DeviceInfoSet() { Reset(); }
    DeviceInfoSet(const DeviceInfoSet&) = delete;
    DeviceInfoSet& operator=(const DeviceInfoSet&) = delete;

    HDEVINFO Get() const { return set_; }
    bool Valid() const { return set_ != nullptr && set_ != INVALID_HANDLE_VALUE; }

    void Reset(HDEVINFO set = nullptr)
    {
        if (Valid()) {
            DWORD error = GetLastError();
            SetupDiDestroyDeviceInfoList(set_);
            SetLastError(error);
        }
        set_ = set;
    }

private:
    HDEVINFO set_ = nullptr;
};

}  // namespace DRIVER
