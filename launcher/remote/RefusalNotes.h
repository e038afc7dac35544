#pragma once
// Refused senders are logged once a minute per address: a scanner or a misconfigured desk
// that sends all day must not fill the log. Shared by the transports' threads.
#include <windows.h>

#include <cstdint>
#include <map>
#include <mutex>

namespace remote {

class RefusalNotes {
public:
    // True when a refusal of `address` at `nowMs` (a 64-bit tick) is to be logged.
    bool ShouldLog(uint32_t address, ULONGLONG nowMs);

private:
    std::mutex lock_;
    std::map<uint32_t, ULONGLONG> lastLogged_;
};

}  // namespace remote
