#include "launcher/supervision/FailureHistory.h"

namespace supervision {

FailureHistory::FailureHistory(DWORD retries, ULONGLONG windowMs, ULONGLONG quarantineMs)
    : retries_(retries ? retries : 1), windowMs_(windowMs), quarantineMs_(quarantineMs)
{
}

void FailureHistory::Trim(Record& record, ULONGLONG now) const
{
    auto& times = record.failures;
    size_t keep = 0;
    for (ULONGLONG time : times)
        if (now - time < windowMs_) times[keep++] = time;
    times.resize(keep);
}

bool FailureHistory::RecordFailure(const std::wstring& path, ULONGLONG now)
{
    Record& record = records_[path];
    // A loop goes on while each failure comes within a window after the pause before it;
    // one that stayed quiet longer is over, and the pauses start small again.
    bool inLoop = record.loopFailures > 0 && now - record.last < windowMs_ + PauseFor(record.loopFailures);
    Trim(record, now);
    record.failures.push_back(now);
    record.last = now;
    if (!inLoop && record.failures.size() < retries_) {
        record.loopFailures = 0;
        return false;
    }
    ++record.loopFailures;
    bool wasAside = now < record.asideUntil;
    if (quarantineMs_ > 0) record.asideUntil = now + quarantineMs_;
    return !wasAside && quarantineMs_ > 0;
}

bool FailureHistory::Quarantined(const std::wstring& path, ULONGLONG now) const
{
    auto found = records_.find(path);
    return found != records_.end() && now < found->second.asideUntil;
}

std::vector<std::wstring> FailureHistory::Release(ULONGLONG now)
{
    std::vector<std::wstring> released;
    for (auto it = records_.begin(); it != records_.end();) {
        if (it->second.asideUntil != 0 && now >= it->second.asideUntil) {
            released.push_back(it->first);
            it = records_.erase(it);
        } else {
            ++it;
        }
    }
    return released;
}

std::vector<std::wstring> FailureHistory::QuarantinedPaths(ULONGLONG now) const
{
    std::vector<std::wstring> paths;
    for (const auto& entry : records_)
        if (now < entry.second.asideUntil) paths.push_back(entry.first);
    return paths;
}

ULONGLONG FailureHistory::PauseFor(unsigned loopFailures)
{
    if (loopFailures == 0) return 0;
    ULONGLONG pause = kFirstPauseMs;
    for (unsigned doublings = loopFailures - 1; doublings > 0 && pause < kLongestPauseMs; --doublings) pause *= 2;
    return pause < kLongestPauseMs ? pause : kLongestPauseMs;
}

ULONGLONG FailureHistory::PauseBeforeRetry(const std::wstring& path) const
{
    auto found = records_.find(path);
    return found == records_.end() ? 0 : PauseFor(found->second.loopFailures);
}

}  // namespace supervision
