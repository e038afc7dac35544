#pragma once
// Stand-ins for what the touch code asks the system: the Windows version and edition,
// and the pause between two looks for the simulator's window.
#include <windows.h>

#include <functional>
#include <utility>

#include "core/touch/TouchSimulator.h"
#include "core/touch/TouchSupport.h"
#include "tests/support/SystemVersionFake.h"

namespace testing_support {

using FakeVersion = testing_support::FakeSystemVersion;

// Windows 7 Enterprise, which takes no touch: the mode stays off unless a test says otherwise.
class VersionScope {
public:
    explicit VersionScope(FakeVersion fake = FakeVersion(6, 1, 4)) : fake_(fake), scope_(fake_) {}

    FakeVersion& Fake() { return fake_; }

private:
    FakeVersion fake_;
    testing_support::SystemVersionScope scope_;
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

}  // namespace testing_support
