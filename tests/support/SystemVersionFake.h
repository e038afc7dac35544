#pragma once
// A Windows of the test's choosing, for every check of the system's version.
#include <windows.h>

#include "framework/SystemVersion.h"

namespace testing_support {

class FakeSystemVersion : public kit::SystemVersionSource {
public:
    FakeSystemVersion(DWORD major, DWORD minor, DWORD product = 0, bool hasProductInfo = true)
        : major_(major), minor_(minor), product_(product), hasProductInfo_(hasProductInfo)
    {
    }

    bool Version(OSVERSIONINFOEXW& info) override
    {
        ZeroMemory(&info, sizeof(info));
        info.dwOSVersionInfoSize = sizeof(info);
        info.dwMajorVersion = major_;
        info.dwMinorVersion = minor_;
        info.dwPlatformId = platformId;
        return known;
    }

    WORD NativeArchitecture() override { return architecture; }

    bool ProductType(DWORD, DWORD, DWORD& type) override
    {
        ++productQueries;
        if (!hasProductInfo_) return false;
        type = product_;
        return true;
    }

    bool known = true;
    DWORD platformId = VER_PLATFORM_WIN32_NT;
    WORD architecture = PROCESSOR_ARCHITECTURE_INTEL;
    int productQueries = 0;

private:
    DWORD major_, minor_, product_;
    bool hasProductInfo_;
};

// Puts `source` in place for the lifetime of the object.
class SystemVersionScope {
public:
    explicit SystemVersionScope(kit::SystemVersionSource& source) : previous_(kit::SetSystemVersionSource(&source)) {}
    ~SystemVersionScope() { kit::SetSystemVersionSource(previous_); }
    SystemVersionScope(const SystemVersionScope&) = delete;
    SystemVersionScope& operator=(const SystemVersionScope&) = delete;

private:
    kit::SystemVersionSource* previous_;
};

}  // namespace testing_support
