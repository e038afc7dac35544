#pragma once
// Stand-ins for what the touch code asks the system: the Windows version and edition,
// and the pause between two looks for the simulator's window.
#include <windows.h>

#include <functional>
#include <utility>

#include "core/touch/TouchSimulator.h"
#include "core/touch/TouchSupport.h"

namespace touch_tests {

class FakeVersion : public tessaly::VersionSource {
public:
    FakeVersion(DWORD major, DWORD minor, DWORD product, bool hasProductInfo = true)
        : major_(major), minor_(minor), product_(product), hasProductInfo_(hasProductInfo)
    {
    }

    bool Version(OSVERSIONINFOW& info) override
    {
        ZeroMemory(&info, sizeof(info));
        info.dwOSVersionInfoSize = sizeof(info);
        info.dwMajorVersion = major_;
        info.dwMinorVersion = minor_;
        info.dwPlatformId = VER_PLATFORM_WIN32_NT;
        return true;
    }

    bool ProductType(DWORD major, DWORD minor, DWORD& type) override
    {
        ++productQueries;
        if (!hasProductInfo_) return false;
        type = product_;
        return true;
    }

    int productQueries = 0;

private:
    DWORD major_, minor_, product_;
    bool hasProductInfo_;
};

// Windows 7 Enterprise, which takes no touch: the mode stays off unless a test says otherwise.
class VersionScope {
public:
    explicit VersionScope(FakeVersion fake = FakeVersion(6, 1, 4)) : fake_(fake)
    {
        previous_ = tessaly::SetVersionSource(&fake_);
    }
    ~VersionScope() { tessaly::SetVersionSource(previous_); }
    VersionScope(const VersionScope&) = delete;
    VersionScope& operator=(const VersionScope&) = delete;

    FakeVersion& Fake() { return fake_; }

private:
    FakeVersion fake_;
    tessaly::VersionSource* previous_ = nullptr;
};

// Replaces the simulator start's pauses for the lifetime of the object.
class WaitScope {
public:
    explicit WaitScope(tessaly::SimulatorWait wait) { previous_ = tessaly::SetSimulatorWait(std::move(wait)); }
    ~WaitScope() { tessaly::SetSimulatorWait(previous_); }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

private:
    tessaly::SimulatorWait previous_;
};

}  // namespace touch_tests
