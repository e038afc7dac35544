#pragma once
// A peer of the launcher's HTTP console on loopback: whole requests as raw bytes, sent from a
// loopback address of the test's choice (127.0.0.2 …), so that tests and the fuzz driver give
// exactly what a browser, a control system or a prober would.
#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <string>

namespace testing_support {

struct HttpAnswer {
    int status = 0;  // 0: closed, or nothing within the wait
    std::string head;
    std::string body;
    std::string raw;  // every byte read, later answers on the connection too
    bool Has(const std::string& text) const { return head.find(text) != std::string::npos; }
};

// Connected to 127.0.0.1:`port` from address `from`; INVALID_SOCKET when refused.
SOCKET ConnectFrom(uint16_t port, const char* from);
// Sends `raw`, ends the sending side, and reads the answer.
HttpAnswer Exchange(uint16_t port, const std::string& raw, const char* from = "127.0.0.1", DWORD waitMs = 10000);
// A request that asks to be closed after its answer, with Basic credentials of `password`
// (none when it is empty) and `body`.
std::string Request(const std::string& method, const std::string& path, const std::string& password,
                    const std::string& body = "");

}  // namespace testing_support
