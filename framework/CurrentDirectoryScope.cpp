#include "framework/CurrentDirectoryScope.h"

namespace kit {

namespace {

// Sized to the folder: a fixed buffer would come back unfilled for a long one and the
// restore would then set a wrong folder.
std::wstring CurrentDirectory()
{
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    if (needed == 0) return std::wstring();
    std::wstring folder(needed, L'\0');
    const DWORD length = GetCurrentDirectoryW(needed, &folder[0]);
    folder.resize(length < needed ? length : 0);
    return folder;
}

}  // namespace

CurrentDirectoryScope::CurrentDirectoryScope(const std::wstring& folder) : saved_(CurrentDirectory())
{
    if (!folder.empty()) SetCurrentDirectoryW(folder.c_str());
}

CurrentDirectoryScope::~CurrentDirectoryScope()
{
    if (!saved_.empty()) SetCurrentDirectoryW(saved_.c_str());
}

}  // namespace kit
