#include "framework/ResourceScope.h"

namespace kit {
namespace {
thread_local HINSTANCE t_resourceInstance = nullptr;
}

HINSTANCE ResourceInstance()
{
    return t_resourceInstance ? t_resourceInstance : GetModuleHandleW(nullptr);
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
