#pragma once
// What the projection shows, sampled every 250 ms on a thread of its own: the top-level
// window under the centre of the primary monitor. A gap is a span outside closed hours in
// which neither an effect nor the standby is on top; in closed hours the standby's window
// is the black, so it counts as shown too.
#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace soak {

enum class Top { Effect, Standby, ClosedBlack, Other };

struct Sample {
    ULONGLONG tick = 0;  // GetTickCount64 when first seen
    Top top = Top::Other;
    DWORD pid = 0;
    HWND window = nullptr;
    std::wstring what;  // for Other: class and program, for the report
};

struct Gap {
    ULONGLONG start = 0, ms = 0;
    std::string during;  // the fault (or other step) under way
    std::wstring what;   // what was on top
};

class Projection {
public:
    // `effectImages`: lower-case file names of the stand-in effects; `closedNow` tells
    // whether the schedule is in closed hours.
    Projection(std::vector<std::wstring> effectImages, std::function<bool()> closedNow);
    ~Projection();

    void Start();
    void Stop();

    Sample Current() const;
    // The first change of the top at or after `from` that `good` accepts (the one in force at
    // `from` included); tick 0 when there is none yet.
    Sample FirstSince(ULONGLONG from, const std::function<bool(const Sample&)>& good) const;
    // Since when the effect process `pid` has been on top; 0 if it is not.
    ULONGLONG FirstSeen(DWORD pid) const;

    // What the gaps that begin from now on are put down to.
    void SetDuring(const std::string& label);
    // Counting starts once the picture showed the first time.
    std::vector<Gap> Gaps() const;
    ULONGLONG ClosedNotBlackMs() const;

    static bool Shows(const Sample& s) { return s.top != Top::Other; }

    // Whether a window's picture can be read back from the screen: not under Wine's headless
    // driver, whose screen reads nothing. Call before anything covers the primary monitor.
    static bool ScreenReads();

private:
    void Run();
    Sample Classify(ULONGLONG now);

    std::vector<std::wstring> effectImages_;
    std::function<bool()> closedNow_;
    std::thread thread_;
    HANDLE stop_;
    mutable std::mutex lock_;
    std::vector<Sample> changes_;
    std::vector<Gap> gaps_;
    Gap open_;          // start 0: none open
    bool counting_ = false;
    std::string during_;
    ULONGLONG closedNotBlackMs_ = 0;
    struct KnownWindow {
        HWND window;
        DWORD pid;
        std::wstring image;  // lower-case file name
    };
    std::vector<KnownWindow> images_;  // a small cache, used by the sampling thread only
};

}  // namespace soak
