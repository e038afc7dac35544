#include "launcher/remote/http/PasswordLockout.h"

namespace remote {

namespace {
// Only allowed addresses get this far; a range as wide as the whole network still must not
// grow the table without end.
const size_t kMostAddresses = 4096;
}  // namespace

bool PasswordLockout::Stale(const Record& record, ULONGLONG nowMs) const
{
    bool recentWrong = record.count > 0 && nowMs - record.wrong[record.count - 1] < kWindowMs;
    return !recentWrong && nowMs >= record.shutUntil;
}

ULONGLONG PasswordLockout::ShutOutFor(uint32_t address, ULONGLONG nowMs)
{
    std::lock_guard<std::mutex> hold(lock_);
    auto found = records_.find(address);
    if (found == records_.end()) {
        // A full table cannot keep count of a newcomer's guesses: it waits until it can.
        return records_.size() >= kMostAddresses ? kShutOutMs : 0;
    }
    return nowMs < found->second.shutUntil ? found->second.shutUntil - nowMs : 0;
}

bool PasswordLockout::Wrong(uint32_t address, ULONGLONG nowMs)
{
    std::lock_guard<std::mutex> hold(lock_);
    if (records_.size() >= kMostAddresses && records_.find(address) == records_.end()) {
        for (auto it = records_.begin(); it != records_.end();)
            it = Stale(it->second, nowMs) ? records_.erase(it) : std::next(it);
        if (records_.size() >= kMostAddresses) return false;
    }
    Record& record = records_[address];
    if (record.count == kMostWrong) {
        for (int i = 1; i < kMostWrong; ++i) record.wrong[i - 1] = record.wrong[i];
        --record.count;
    }
    record.wrong[record.count++] = nowMs;
    if (record.count < kMostWrong || nowMs - record.wrong[0] >= kWindowMs) return false;
    record.shutUntil = nowMs + kShutOutMs;
    record.count = 0;
    return true;
}

void PasswordLockout::Right(uint32_t address)
{
    std::lock_guard<std::mutex> hold(lock_);
    records_.erase(address);
}

}  // namespace remote
