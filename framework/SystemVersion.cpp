#include "framework/SystemVersion.h"

namespace kit {
namespace {

template <typename Function>
Function KernelFunction(const char* name)
{
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(kernel, name))) : nullptr;
}

class SystemSource : public SystemVersionSource {
public:
    bool Version(OSVERSIONINFOEXW& info) override
    {
        ZeroMemory(&info, sizeof(info));
        info.dwOSVersionInfoSize = sizeof(info);
        return GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)) != FALSE;
    }

    WORD NativeArchitecture() override
    {
        // Missing before XP.
        typedef void(WINAPI * NativeSystemInfoFunction)(LPSYSTEM_INFO);
        SYSTEM_INFO info = {};
        if (auto native = KernelFunction<NativeSystemInfoFunction>("GetNativeSystemInfo")) native(&info);
        else GetSystemInfo(&info);
        return info.wProcessorArchitecture;
    }

    bool ProductType(DWORD major, DWORD minor, DWORD& type) override
    {
        // Missing before Vista.
        typedef BOOL(WINAPI * GetProductInfoFunction)(DWORD, DWORD, DWORD, DWORD, PDWORD);
        auto getProductInfo = KernelFunction<GetProductInfoFunction>("GetProductInfo");
        if (!getProductInfo) return false;
        type = 0;
        getProductInfo(major, minor, 0, 0, &type);
        return true;
    }
};

SystemVersionSource*& Replacement()
{
    static SystemVersionSource* source = nullptr;
    return source;
}

}  // namespace

SystemVersionSource& RealSystemVersion()
{
    static SystemSource source;
    return source;
}

SystemVersionSource* SetSystemVersionSource(SystemVersionSource* source)
{
    SystemVersionSource* previous = Replacement();
    Replacement() = source;
    return previous;
}

SystemVersionSource& CurrentSystemVersion()
{
    SystemVersionSource* source = Replacement();
    return source ? *source : RealSystemVersion();
}

}  // namespace kit
