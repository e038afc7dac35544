#include "core/touch/TouchSupport.h"

namespace tessaly {
namespace {

const DWORD kTouchEditions[] = {
    0x01,  // PRODUCT_ULTIMATE
    0x03,  // PRODUCT_HOME_PREMIUM
    0x07,  // PRODUCT_STANDARD_SERVER
    0x30,  // PRODUCT_PROFESSIONAL
};

}  // namespace

bool SupportsTouch(kit::SystemVersionSource& source)
{
    OSVERSIONINFOEXW info;
    if (!source.Version(info)) return false;
    if (info.dwMajorVersion < 6) return false;
    if (info.dwMinorVersion == 2) return true;
    DWORD type = 0;
    if (!source.ProductType(info.dwMajorVersion, info.dwMinorVersion, type)) return false;
    for (DWORD edition : kTouchEditions) {
        if (type == edition) return true;
    }
    return false;
}

bool SupportsTouch()
{
    return SupportsTouch(kit::CurrentSystemVersion());
}

bool IsWin9xFamily()
{
    return (GetVersion() & 0x80000000u) != 0;
}

bool TouchPlatformSupported()
{
    return !IsWin9xFamily() && SupportsTouch();
}

}  // namespace tessaly
