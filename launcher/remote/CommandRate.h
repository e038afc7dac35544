#pragma once
// How fast one sender's commands reach the bar: a burst, then a steady few a second. A desk
// stuck in a loop or a flood of datagrams must not keep the bar from answering, nor start
// effects faster than they can show.
#include <windows.h>

#include <cstdint>
#include <map>
#include <mutex>

namespace remote {

class CommandRate {
public:
    static const unsigned kBurst = 10;
    static const unsigned kPerSecond = 5;

    explicit CommandRate(unsigned burst = kBurst, unsigned perSecond = kPerSecond);
    // True when `address` (host order) may give a command at `nowMs` (a 64-bit tick), and
    // counts it. Safe from any thread.
    bool Take(uint32_t address, ULONGLONG nowMs);

private:
    struct Bucket {
        ULONGLONG units;  // 1000 per command
        ULONGLONG at;
    };
    ULONGLONG Refilled(const Bucket& bucket, ULONGLONG nowMs) const;

    const ULONGLONG full_;
    const unsigned perSecond_;
    std::mutex lock_;
    std::map<uint32_t, Bucket> buckets_;
};

}  // namespace remote
