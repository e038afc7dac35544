#pragma once
// Which entries failed when, and which are set aside: an entry that fails `retries` times
// within the retry window is quarantined for a while. A lone effect is not set aside but
// retried after pauses that double with every failure of the loop.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace supervision {

class FailureHistory {
public:
    static constexpr ULONGLONG kFirstPauseMs = 2000;
    static constexpr ULONGLONG kLongestPauseMs = 5 * 60 * 1000;

    FailureHistory(DWORD retries, ULONGLONG windowMs, ULONGLONG quarantineMs);

    // Records a failure at `now`; true when it sets the entry aside (from now on).
    bool RecordFailure(const std::wstring& path, ULONGLONG now);
    bool Quarantined(const std::wstring& path, ULONGLONG now) const;
    // Entries whose time aside ended by `now`; they are forgotten, as if they never failed.
    std::vector<std::wstring> Release(ULONGLONG now);
    std::vector<std::wstring> QuarantinedPaths(ULONGLONG now) const;
    // The pause before a lone effect's next try after the failure just recorded: none while
    // it fails less often than the limit, then 2 s, 4 s, 8 s … at most 5 minutes.
    ULONGLONG PauseBeforeRetry(const std::wstring& path) const;
    // The pause after the n-th failure of a loop (n from 1).
    static ULONGLONG PauseFor(unsigned loopFailures);

private:
    struct Record {
        std::vector<ULONGLONG> failures;  // within the window
        ULONGLONG asideUntil = 0;
        unsigned loopFailures = 0;        // failures since the entry first reached the limit
        ULONGLONG last = 0;
    };
    void Trim(Record& record, ULONGLONG now) const;

    DWORD retries_;
    ULONGLONG windowMs_;
    ULONGLONG quarantineMs_;
    std::map<std::wstring, Record> records_;
};

}  // namespace supervision
