#pragma once
// Wrong passwords per sender: five within a minute shut the address out for a minute, so that
// the console's password cannot be guessed from the venue's network at the speed of a script.
// Shared by the console's peer threads; the clock is the caller's (a 64-bit tick).
#include <windows.h>

#include <cstdint>
#include <map>
#include <mutex>

namespace remote {

class PasswordLockout {
public:
    static const int kMostWrong = 5;
    static const ULONGLONG kWindowMs = 60000;
    static const ULONGLONG kShutOutMs = 60000;

    // Milliseconds that `address` stays shut out from `nowMs` on; 0 when it may try.
    ULONGLONG ShutOutFor(uint32_t address, ULONGLONG nowMs);
    // A wrong password from `address`; true when this one shut it out.
    bool Wrong(uint32_t address, ULONGLONG nowMs);
    // The right password: earlier mistakes are forgiven.
    void Right(uint32_t address);

private:
    struct Record {
        ULONGLONG wrong[kMostWrong] = {};  // the latest wrong passwords' times, oldest first
        int count = 0;
        ULONGLONG shutUntil = 0;
    };
    bool Stale(const Record& record, ULONGLONG nowMs) const;

    std::mutex lock_;
    std::map<uint32_t, Record> records_;
};

}  // namespace remote
