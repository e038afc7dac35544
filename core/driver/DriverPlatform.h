#pragma once
// Which of the installation's INF files fits the running Windows.
#include <windows.h>

#include <string>

#include "framework/SystemVersion.h"

namespace DRIVER {

enum PlatformKind : int { kPlatformUnknown = 0, kPlatform32 = 1, kPlatform64 = 2 };

// 64-bit only from Vista on: a 64-bit XP takes the 32-bit INF.
int DetectPlatformKind(kit::SystemVersionSource& source);
// Asks kit::CurrentSystemVersion().
int DetectPlatformKind();

// "Drivers\X86\oem10.inf" or "Drivers\X64\oem26.inf"; for an unrecognised system the
// user is told so and the path is empty.
std::wstring InfPathForThisSystem();

}  // namespace DRIVER
