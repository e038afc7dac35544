#include "framework/ResourceScope.h"

namespace kit {
namespace {
thread_local HINSTANCE t_resourceInstance = nullptr;
HWND g_defaultOwner = nullptr;
}

HINSTANCE ThisModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module ? module : GetModuleHandleW(nullptr);
}

HWND DefaultOwner()
{
    // A window of another thread would be disabled and enabled again from this one: the
    // modality of whatever that thread shows meanwhile would be lost.
    if (!g_defaultOwner || !IsWindow(g_defaultOwner)) return nullptr;
    return GetWindowThreadProcessId(g_defaultOwner, nullptr) == GetCurrentThreadId() ? g_defaultOwner : nullptr;
}

void SetDefaultOwner(HWND window)
{
    g_defaultOwner = window;
}

HINSTANCE ResourceInstance()
{
    return t_resourceInstance ? t_resourceInstance : ThisModule();
}

ModuleStateScope::ModuleStateScope(HINSTANCE module) : previous_(t_resourceInstance)
{
    t_resourceInstance = module;
}

ModuleStateScope::~ModuleStateScope()
{
    t_resourceInstance = previous_;
}

}  // namespace kit
