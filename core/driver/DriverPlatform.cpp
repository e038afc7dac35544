#include "core/driver/DriverPlatform.h"

#include "framework/MessageBox.h"

namespace DRIVER {

int DetectPlatformKind(kit::SystemVersionSource& source)
{
    OSVERSIONINFOEXW info;
    if (!source.Version(info)) return kPlatformUnknown;
    WORD architecture = source.NativeArchitecture();
    if (info.dwPlatformId != VER_PLATFORM_WIN32_NT || info.dwMajorVersion <= 4) return kPlatformUnknown;
    if (info.dwMajorVersion > 5 && architecture == PROCESSOR_ARCHITECTURE_AMD64) return kPlatform64;
    return kPlatform32;
}

int DetectPlatformKind()
{
    return DetectPlatformKind(kit::CurrentSystemVersion());
}

std::wstring InfPathForThisSystem()
{
    switch (DetectPlatformKind()) {
    case kPlatform32: return L"Drivers\\X86\\oem10.inf";
    case kPlatform64: return L"Drivers\\X64\\oem26.inf";
    default:
        kit::ShowMessageBox(nullptr, L"不识别此操作系统", L"信息提示", MB_ICONWARNING);
        return std::wstring();
    }
}

}  // namespace DRIVER
