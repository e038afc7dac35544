#include "launcher/remote/http/ConsoleGate.h"

#include <cctype>

namespace remote {

namespace {

// Longer credentials are no one's typing; decoding them would only cost time.
const size_t kMostCredentialBytes = 1024;

int Base64Value(unsigned char c)
{
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

bool DecodeBase64(const std::string& text, std::string& bytes)
{
    size_t end = text.size();
    while (end > 0 && text[end - 1] == '=') --end;
    if (text.size() % 4 != 0 || text.size() - end > 2) return false;
    bytes.clear();
    unsigned buffer = 0;
    int bits = 0;
    for (size_t i = 0; i < end; ++i) {
        int value = Base64Value(static_cast<unsigned char>(text[i]));
        if (value < 0) return false;
        buffer = (buffer << 6) | static_cast<unsigned>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes += static_cast<char>((buffer >> bits) & 0xFF);
        }
    }
    return true;
}

}  // namespace

bool ConsoleGate::PasswordOf(const std::string& authorization, std::string& password)
{
    if (authorization.size() > kMostCredentialBytes || authorization.size() < 6) return false;
    std::string scheme = authorization.substr(0, 6);
    for (char& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (scheme != "basic ") return false;
    size_t start = authorization.find_first_not_of(' ', 6);
    if (start == std::string::npos) return false;
    size_t stop = authorization.find_last_not_of(' ');
    std::string credential;
    if (!DecodeBase64(authorization.substr(start, stop + 1 - start), credential)) return false;
    size_t colon = credential.find(':');
    if (colon == std::string::npos) return false;
    password = credential.substr(colon + 1);
    return true;
}

bool ConsoleGate::SamePassword(const std::string& given, const std::string& expected)
{
    unsigned difference = given.size() == expected.size() ? 0u : 1u;
    for (size_t i = 0; i < given.size(); ++i) {
        unsigned char other = expected.empty() ? 0 : static_cast<unsigned char>(expected[i % expected.size()]);
        difference |= static_cast<unsigned char>(given[i]) ^ other;
    }
    return difference == 0 && !expected.empty();
}

ConsoleGate::Decision ConsoleGate::Check(uint32_t address, const std::string& authorization, ULONGLONG nowMs)
{
    Decision decision;
    if (!allow_.Allows(address)) {
        decision.verdict = Verdict::NotAllowed;
        return decision;
    }
    decision.retryAfterMs = lockout_.ShutOutFor(address, nowMs);
    if (decision.retryAfterMs > 0) {
        decision.verdict = Verdict::ShutOut;
        return decision;
    }
    if (authorization.empty()) {
        decision.verdict = Verdict::NoPassword;
        return decision;
    }
    std::string given;
    if (PasswordOf(authorization, given) && SamePassword(given, password_)) {
        lockout_.Right(address);
        return decision;
    }
    decision.verdict = Verdict::WrongPassword;
    decision.shutOutNow = lockout_.Wrong(address, nowMs);
    if (decision.shutOutNow) decision.retryAfterMs = PasswordLockout::kShutOutMs;
    return decision;
}

}  // namespace remote
