#include "core/driver/HardwareIdMatch.h"

#include <cwchar>

namespace DRIVER {
namespace {

std::wstring AsciiUpper(std::wstring text)
{
    for (wchar_t& ch : text) {
        if (ch >= L'a' && ch <= L'z') ch = static_cast<wchar_t>(ch - L'a' + L'A');
    }
    return text;
}

}  // namespace

bool HardwareIdMatches(const std::wstring& deviceId, const std::wstring& infId)
{
    if (infId.empty()) return false;
    std::wstring device = AsciiUpper(deviceId), inf = AsciiUpper(infId);
    if (device.find(inf) == std::wstring::npos) return false;
    if (device.size() <= inf.size()) return true;
    return wcschr(L"&-#_", device[inf.size()]) != nullptr;
}

}  // namespace DRIVER
