#include "launcher/remote/AllowList.h"

#include <cwctype>

namespace remote {

bool AllowList::ParseAddress(const std::wstring& text, uint32_t& address)
{
    uint32_t result = 0;
    size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (at >= text.size() || text[at] != L'.') return false;
            ++at;
        }
        size_t digits = 0;
        uint32_t value = 0;
        while (at < text.size() && text[at] >= L'0' && text[at] <= L'9' && digits < 3) {
            value = value * 10 + static_cast<uint32_t>(text[at] - L'0');
            ++at;
            ++digits;
        }
        if (digits == 0 || value > 255) return false;
        result = (result << 8) | value;
    }
    if (at != text.size()) return false;
    address = result;
    return true;
}

std::wstring AllowList::AddressText(uint32_t address)
{
    return std::to_wstring(address >> 24) + L"." + std::to_wstring((address >> 16) & 255) + L"." +
           std::to_wstring((address >> 8) & 255) + L"." + std::to_wstring(address & 255);
}

bool AllowList::Parse(const std::wstring& text, std::wstring& problem)
{
    std::vector<Range> ranges;
    size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && (text[at] == L',' || std::iswspace(text[at]))) ++at;
        size_t end = at;
        while (end < text.size() && text[end] != L',' && !std::iswspace(text[end])) ++end;
        if (end == at) break;
        std::wstring entry = text.substr(at, end - at);
        at = end;
        std::wstring address = entry;
        uint32_t bits = 32;
        size_t slash = entry.find(L'/');
        if (slash != std::wstring::npos) {
            address = entry.substr(0, slash);
            std::wstring prefix = entry.substr(slash + 1);
            if (prefix.empty() || prefix.size() > 2 || prefix.find_first_not_of(L"0123456789") != std::wstring::npos ||
                std::stoul(prefix) > 32) {
                problem = L"\"" + entry + L"\" is not a range";
                return false;
            }
            bits = std::stoul(prefix);
        }
        uint32_t value = 0;
        if (!ParseAddress(address, value)) {
            problem = L"\"" + entry + L"\" is not an address";
            return false;
        }
        uint32_t mask = bits == 0 ? 0 : 0xFFFFFFFFu << (32 - bits);
        ranges.push_back({value & mask, mask});
    }
    ranges_ = ranges;
    text_ = text;
    return true;
}

bool AllowList::Allows(uint32_t address) const
{
    for (const Range& range : ranges_)
        if ((address & range.mask) == range.network) return true;
    return false;
}

}  // namespace remote
