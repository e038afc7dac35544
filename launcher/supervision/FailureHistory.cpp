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
    Trim(record, now);
    // A loop that stayed quiet for a whole window is over: the pauses start again small.
    if (record.failures.empty()) record.loopFailures = 0;
    record.failures.push_back(now);
    if (record.failures.size() < retries_) return false;
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

ULONGLONG FailureHistory::PauseBeforeRetry(const std::wstring& path, ULONGLONG now) const
{
    auto found = records_.find(path);
    if (found == records_.end() || found->second.loopFailures == 0) return 0;
    (void)now;
    unsigned doublings = found->second.loopFailures - 1;
    ULONGLONG pause = kFirstPauseMs;
    while (doublings-- > 0 && pause < kLongestPauseMs) pause *= 2;
    return pause < kLongestPauseMs ? pause : kLongestPauseMs;
}

}  // namespace supervision
