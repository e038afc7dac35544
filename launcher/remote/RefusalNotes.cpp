#include "launcher/remote/RefusalNotes.h"

namespace remote {

namespace {
const ULONGLONG kMinuteMs = 60000;
// A flood from many forged addresses must not grow the table without end.
const size_t kMostAddresses = 4096;
}  // namespace

bool RefusalNotes::ShouldLog(uint32_t address, ULONGLONG nowMs)
{
    std::lock_guard<std::mutex> hold(lock_);
    auto found = lastLogged_.find(address);
    if (found != lastLogged_.end()) {
        if (nowMs - found->second < kMinuteMs) return false;
        found->second = nowMs;
        return true;
    }
    if (lastLogged_.size() >= kMostAddresses) {
        for (auto it = lastLogged_.begin(); it != lastLogged_.end();)
            it = nowMs - it->second >= kMinuteMs ? lastLogged_.erase(it) : std::next(it);
        if (lastLogged_.size() >= kMostAddresses) return false;
    }
    lastLogged_[address] = nowMs;
    return true;
}

}  // namespace remote
