#pragma once
// The launcher's clocks as the soak moves them, through the files its test seams read: the
// local time (signed seconds added to every wall time it reads) and the supervision's tick
// clock (seconds added, never taken back: a tick count only goes forward).
#include <windows.h>

#include <atomic>
#include <string>

namespace soak {

class ClockShifts {
public:
    ClockShifts(std::wstring localFile, std::wstring tickFile);

    // The launcher's local time now, as seconds since midnight of its day.
    long long LocalSecondOfDay() const;
    // The same as its log writes it, to the second.
    std::string LocalStamp() const;
    // Only once a schedule is in the installation do its closed parts count.
    void UseSchedule(bool on) { schedule_ = on; }
    bool ClosedNow() const;

    void MoveLocal(long long seconds);
    // To `seconds` after the start of the next part of the schedule.
    void ToNextBoundary(int seconds);
    // To `seconds` before the next midnight.
    void BeforeMidnight(int seconds);
    // The tick clock to `before` ms short of the next multiple of 2^bits (mod 2^32) ahead.
    void BeforeTickEdge(int bits, ULONGLONG beforeMs);

private:
    void WriteLocal();
    void WriteTick();

    std::wstring localFile_, tickFile_;
    std::atomic<long long> local_{0};
    std::atomic<unsigned long long> tick_{0};
    std::atomic<bool> schedule_{false};
};

}  // namespace soak
