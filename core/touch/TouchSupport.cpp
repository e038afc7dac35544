#include "core/touch/TouchSupport.h"

namespace tessaly {
namespace {

const DWORD kTouchEditions[] = {
    0x01,  // PRODUCT_ULTIMATE
    0x03,  // PRODUCT_HOME_PREMIUM
    0x07,  // PRODUCT_STANDARD_SERVER
    0x30,  // PRODUCT_PROFESSIONAL
};

class SystemSource : public VersionSource {
public:
    bool Version(OSVERSIONINFOW& info) override
    {
        ZeroMemory(&info, sizeof(info));
        info.dwOSVersionInfoSize = sizeof(info);
        return GetVersionExW(&info) != FALSE;
    }

    bool ProductType(DWORD major, DWORD minor, DWORD& type) override
    {
        // Missing before Vista, so looked up rather than imported.
        typedef BOOL(WINAPI * GetProductInfoFunction)(DWORD, DWORD, DWORD, DWORD, PDWORD);
        HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        if (!kernel) return false;
        auto getProductInfo =
            reinterpret_cast<GetProductInfoFunction>(GetProcAddress(kernel, "GetProductInfo"));
        if (!getProductInfo) return false;
        type = 0;
        getProductInfo(major, minor, 0, 0, &type);
        return true;
    }
};

VersionSource*& CurrentSource()
{
    static VersionSource* source = nullptr;
    return source;
}

}  // namespace

VersionSource& SystemVersionSource()
{
    static SystemSource source;
    return source;
}

VersionSource* SetVersionSource(VersionSource* source)
{
    VersionSource* previous = CurrentSource();
    CurrentSource() = source;
    return previous;
}

bool SupportsTouch(VersionSource& source)
{
    OSVERSIONINFOW info;
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
    VersionSource* source = CurrentSource();
    return SupportsTouch(source ? *source : SystemVersionSource());
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
