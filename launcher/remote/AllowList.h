#pragma once
// The addresses that may send remote commands: single IPv4 addresses and ranges written as
// "192.168.10.0/24", separated by commas or spaces.
#include <cstdint>
#include <string>
#include <vector>

namespace remote {

class AllowList {
public:
    // False, with the first entry that is not an address or a range, and nothing taken.
    bool Parse(const std::wstring& text, std::wstring& problem);
    // `address` in host byte order.
    bool Allows(uint32_t address) const;
    // As given, for the log.
    const std::wstring& Text() const { return text_; }

    // "a.b.c.d" in host byte order; false for anything else.
    static bool ParseAddress(const std::wstring& text, uint32_t& address);
    static std::wstring AddressText(uint32_t address);

private:
    struct Range {
        uint32_t network;
        uint32_t mask;
    };
    std::vector<Range> ranges_;
    std::wstring text_;
};

}  // namespace remote
