#include "core/driver/DriverPlatform.h"

#include "framework/MessageBox.h"

namespace DRIVER {
namespace {

class SystemSource : public PlatformSource {
public:
    bool Version(OSVERSIONINFOEXW& info) override
    {
        ZeroMemory(&info, sizeof(info));
        info.dwOSVersionInfoSize = sizeof(info);
        return GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)) != FALSE;
    }

    WORD NativeArchitecture() override
    {
        // Missing before XP, so looked up rather than imported.
        typedef void(WINAPI * NativeSystemInfoFunction)(LPSYSTEM_INFO);
        SYSTEM_INFO info = {};
        HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        auto native = kernel ? reinterpret_cast<NativeSystemInfoFunction>(
                                   reinterpret_cast<void*>(GetProcAddress(kernel, "GetNativeSystemInfo")))
                             : nullptr;
        if (native) native(&info);
        else GetSystemInfo(&info);
        return info.wProcessorArchitecture;
    }
};

PlatformSource*& CurrentSource()
{
    static PlatformSource* source = nullptr;
    return source;
}

}  // namespace

PlatformSource& SystemPlatformSource()
{
    static SystemSource source;
    return source;
}

PlatformSource* SetPlatformSource(PlatformSource* source)
{
    PlatformSource* previous = CurrentSource();
    CurrentSource() = source;
    return previous;
}

int DetectPlatformKind(PlatformSource& source)
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
    PlatformSource* source = CurrentSource();
    return DetectPlatformKind(source ? *source : SystemPlatformSource());
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
