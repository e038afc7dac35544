#include "launcher/remote/CommandRate.h"

namespace remote {

namespace {
// Forged senders inside an allowed range must not grow the table without end.
const size_t kMostSenders = 1024;
}  // namespace

CommandRate::CommandRate(unsigned burst, unsigned perSecond) : full_(burst * 1000ull), perSecond_(perSecond)
{
}

ULONGLONG CommandRate::Refilled(const Bucket& bucket, ULONGLONG nowMs) const
{
    // A clock that went back (a test's, or a tick read out of order between threads) refills nothing.
    ULONGLONG elapsed = nowMs > bucket.at ? nowMs - bucket.at : 0;
    if (elapsed >= full_) return full_;  // also keeps the product below from overflowing
    ULONGLONG units = bucket.units + elapsed * perSecond_;
    return units < full_ ? units : full_;
}

bool CommandRate::Take(uint32_t address, ULONGLONG nowMs)
{
    std::lock_guard<std::mutex> hold(lock_);
    auto found = buckets_.find(address);
    if (found == buckets_.end()) {
        if (buckets_.size() >= kMostSenders) {
            for (auto it = buckets_.begin(); it != buckets_.end();)
                it = Refilled(it->second, nowMs) == full_ ? buckets_.erase(it) : std::next(it);
            if (buckets_.size() >= kMostSenders) return false;
        }
        found = buckets_.emplace(address, Bucket{full_, nowMs}).first;
    }
    Bucket& bucket = found->second;
    bucket.units = Refilled(bucket, nowMs);
    bucket.at = nowMs > bucket.at ? nowMs : bucket.at;
    if (bucket.units < 1000) return false;
    bucket.units -= 1000;
    return true;
}

}  // namespace remote
