#include "launcher/supervision/EffectProcesses.h"

namespace supervision {

std::wstring EffectImageName(const std::wstring& path)
{
    std::wstring name = LowerName(path);
    size_t slash = name.rfind(L'\\');
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    // The library's stop ends the shell of a command file; so it is what is watched.
    if (name.find(L".cmd") != std::wstring::npos) return L"nimbrel.exe";
    return name;
}

}  // namespace supervision
