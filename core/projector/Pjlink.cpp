#include "core/projector/Pjlink.h"

#include <ws2tcpip.h>
#include <wincrypt.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "framework/UniqueSocket.h"

namespace projector {
namespace {

class Connection {
public:
    bool Open(const Address& address, unsigned long timeoutMs)
    {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (getaddrinfo(address.host.c_str(), std::to_string(address.port).c_str(), &hints, &found) != 0 || !found)
            return false;
        socket_.Reset(socket(found->ai_family, found->ai_socktype, found->ai_protocol));
        bool ok = static_cast<bool>(socket_) && ConnectWithin(found, timeoutMs);
        freeaddrinfo(found);
        if (!ok) return false;
        DWORD wait = timeoutMs;
        setsockopt(socket_.Get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&wait), sizeof(wait));
        setsockopt(socket_.Get(), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&wait), sizeof(wait));
        return true;
    }
    // A line up to its CR (which is left off); false on a close, an error or a time-out.
    bool ReadLine(std::string& line)
    {
        line.clear();
        char c = 0;
        // A PJLink line is at most 136 bytes; more is no PJLink.
        while (line.size() < 256) {
            if (recv(socket_.Get(), &c, 1, 0) != 1) return false;
            if (c == '\r') return true;
            if (c != '\n') line += c;
        }
        return false;
    }
    bool Write(const std::string& text)
    {
        return send(socket_.Get(), text.data(), static_cast<int>(text.size()), 0) == static_cast<int>(text.size());
    }

private:
    bool ConnectWithin(const addrinfo* target, unsigned long timeoutMs)
    {
        // A projector that is switched off at the wall does not refuse: it is silent.
        u_long nonBlocking = 1;
        ioctlsocket(socket_.Get(), FIONBIO, &nonBlocking);
        if (connect(socket_.Get(), target->ai_addr, static_cast<int>(target->ai_addrlen)) != 0 &&
            WSAGetLastError() != WSAEWOULDBLOCK)
            return false;
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(socket_.Get(), &writable);
        FD_SET(socket_.Get(), &failed);
        timeval wait = {static_cast<long>(timeoutMs / 1000), static_cast<long>(timeoutMs % 1000 * 1000)};
        if (select(0, nullptr, &writable, &failed, &wait) != 1 || FD_ISSET(socket_.Get(), &failed)) return false;
        nonBlocking = 0;
        ioctlsocket(socket_.Get(), FIONBIO, &nonBlocking);
        return true;
    }

    kit::UniqueSocket socket_;
};

Answer Reply(Answer::Outcome outcome, const std::string& reply)
{
    Answer answer;
    answer.outcome = outcome;
    answer.reply = reply;
    return answer;
}

bool SameProjector(const Address& one, const Address& other)
{
    // Host names are not case-sensitive.
    return one.port == other.port && one.host.size() == other.host.size() &&
           std::equal(one.host.begin(), one.host.end(), other.host.begin(),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) ==
                                                  std::tolower(static_cast<unsigned char>(b)); });
}

std::string Trim(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace

const wchar_t* OutcomeText(Answer::Outcome outcome)
{
    switch (outcome) {
    case Answer::Ok: return L"OK";
    case Answer::NoAnswer: return L"no answer";
    case Answer::WrongPassword: return L"wrong password (ERRA)";
    case Answer::Undefined: return L"unknown command (ERR1)";
    case Answer::OutOfParameter: return L"out of parameter (ERR2)";
    case Answer::Unavailable: return L"not now (ERR3)";
    case Answer::Failure: return L"projector failure (ERR4)";
    case Answer::BadReply: return L"no PJLink answer";
    }
    return L"";
}

bool ParseAddresses(const std::wstring& text, std::vector<Address>& addresses, std::wstring& error,
                    std::vector<std::wstring>* duplicates)
{
    addresses.clear();
    if (duplicates) duplicates->clear();
    std::string narrow(text.begin(), text.end());
    for (wchar_t c : text) {
        if (c > 0x7E) {
            error = L"an address holds a character that no host name has";
            return false;
        }
    }
    if (Trim(narrow).empty()) return true;
    size_t start = 0;
    for (;;) {
        size_t comma = narrow.find(',', start);
        std::string part = Trim(narrow.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (part.empty()) {
            error = L"an address between the commas is empty";
            return false;
        }
        Address address;
        size_t colon = part.rfind(':');
        address.host = Trim(part.substr(0, colon));
        if (colon != std::string::npos) {
            std::string port = Trim(part.substr(colon + 1));
            char* end = nullptr;
            long value = std::strtol(port.c_str(), &end, 10);
            if (port.empty() || *end != '\0' || value < 1 || value > 65535) {
                error = L"\"" + std::wstring(part.begin(), part.end()) + L"\" has no port between 1 and 65535";
                return false;
            }
            address.port = static_cast<unsigned short>(value);
        }
        if (address.host.empty() || address.host.find_first_of(" \t") != std::string::npos) {
            error = L"\"" + std::wstring(part.begin(), part.end()) + L"\" names no host";
            return false;
        }
        bool known = false;
        for (const Address& kept : addresses) known = known || SameProjector(kept, address);
        if (!known) addresses.push_back(address);
        else if (duplicates) duplicates->push_back(std::wstring(part.begin(), part.end()));
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

std::string Md5Hex(const std::string& text)
{
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    std::string hex;
    if (!CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) return hex;
    BYTE digest[16];
    DWORD size = sizeof(digest);
    if (CryptCreateHash(provider, CALG_MD5, 0, 0, &hash) &&
        CryptHashData(hash, reinterpret_cast<const BYTE*>(text.data()), static_cast<DWORD>(text.size()), 0) &&
        CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0)) {
        char two[3];
        for (DWORD i = 0; i < size; ++i) {
            std::snprintf(two, sizeof(two), "%02x", digest[i]);
            hex += two;
        }
    }
    if (hash) CryptDestroyHash(hash);
    CryptReleaseContext(provider, 0);
    return hex;
}

Answer Exchange(const Address& address, const std::string& password, const std::string& command,
                unsigned long timeoutMs)
{
    Connection connection;
    if (!connection.Open(address, timeoutMs)) return Reply(Answer::NoAnswer, "");
    std::string greeting;
    if (!connection.ReadLine(greeting)) return Reply(Answer::NoAnswer, greeting);
    std::string prefix;
    if (greeting == "PJLINK ERRA") return Reply(Answer::WrongPassword, greeting);
    if (greeting.rfind("PJLINK 1 ", 0) == 0) {
        // The digest of the projector's random number followed by the password goes in
        // front of the first command.
        prefix = Md5Hex(greeting.substr(9) + password);
    } else if (greeting != "PJLINK 0") {
        return Reply(Answer::BadReply, greeting);
    }
    std::string body = "%1" + command;
    if (!connection.Write(prefix + body + "\r")) return Reply(Answer::NoAnswer, "");
    std::string line;
    if (!connection.ReadLine(line)) return Reply(Answer::NoAnswer, line);
    if (line == "PJLINK ERRA") return Reply(Answer::WrongPassword, line);
    std::string name = body.substr(0, 6);  // "%1POWR"
    if (line.size() < 7 || line.compare(0, 6, name) != 0 || line[6] != '=') return Reply(Answer::BadReply, line);
    std::string value = line.substr(7);
    if (value == "OK") return Reply(Answer::Ok, line);
    if (value == "ERR1") return Reply(Answer::Undefined, line);
    if (value == "ERR2") return Reply(Answer::OutOfParameter, line);
    if (value == "ERR3") return Reply(Answer::Unavailable, line);
    if (value == "ERR4") return Reply(Answer::Failure, line);
    bool query = command.size() > 5 && command.back() == '?';
    if (!query) return Reply(Answer::BadReply, line);
    Answer answer = Reply(Answer::Ok, line);
    answer.value = value;
    if (name != "%1POWR") return answer;
    if (value.size() != 1 || value[0] < '0' || value[0] > '3') return Reply(Answer::BadReply, line);
    answer.power = value[0] - '0';
    return answer;
}

Health Survey(const Address& address, const std::string& password, unsigned long timeoutMs)
{
    Health health;
    health.address = address;
    Answer power = Exchange(address, password, "POWR ?", timeoutMs);
    health.outcome = power.outcome;
    health.power = power.power;
    if (power.outcome != Answer::Ok) return health;
    // "hours on/off", once per lamp.
    Answer lamp = Exchange(address, password, "LAMP ?", timeoutMs);
    if (lamp.outcome == Answer::Ok) {
        char* end = nullptr;
        long hours = std::strtol(lamp.value.c_str(), &end, 10);
        if (end != lamp.value.c_str() && hours >= 0) health.lampHours = hours;
    }
    Answer errors = Exchange(address, password, "ERST ?", timeoutMs);
    if (errors.outcome == Answer::Ok && errors.value.size() == 6 &&
        errors.value.find_first_not_of("012") == std::string::npos)
        health.errors = errors.value;
    return health;
}

}  // namespace projector
