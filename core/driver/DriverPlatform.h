#pragma once
// Which of the installation's INF files fits the running Windows.
#include <windows.h>

#include <string>

namespace DRIVER {

enum PlatformKind : int { kPlatformUnknown = 0, kPlatform32 = 1, kPlatform64 = 2 };

// Where the version and the processor architecture come from; tests put their own in place.
class PlatformSource {
public:
    virtual ~PlatformSource() = default;
    // As GetVersionExW with an extended record.
    virtual bool Version(OSVERSIONINFOEXW& info) = 0;
    // PROCESSOR_ARCHITECTURE_* of the machine, not of this process.
    virtual WORD NativeArchitecture() = 0;
};

PlatformSource& SystemPlatformSource();
// Replaces the source asked by the functions below; nullptr puts the system's back.
// Returns the one it replaces.
PlatformSource* SetPlatformSource(PlatformSource* source);

// 64-bit only from Vista on: a 64-bit XP takes the 32-bit INF.
int DetectPlatformKind(PlatformSource& source);
int DetectPlatformKind();

// "Drivers\X86\oem10.inf" or "Drivers\X64\oem26.inf"; for an unrecognised system the
// user is told so and the path is empty.
std::wstring InfPathForThisSystem();

}  // namespace DRIVER
