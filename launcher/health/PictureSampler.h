#pragma once
// Looks at the picture of the effect that plays, once a second, from a thread of its own so
// that the bar never waits on the screen: a small thumbnail of the effect's largest window,
// where it lies on the desktop (any monitor), judged by a PictureJudge. A failure is told
// once; after that the look is over. A window of another program that covers more than a
// quarter of the effect's is pushed under it again, and told.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "launcher/health/CoverTally.h"
#include "launcher/health/HealthSettings.h"
#include "launcher/health/PictureJudge.h"

namespace health {

class HeartbeatListener;

struct PictureFault {
    PictureJudge::Verdict verdict = PictureJudge::Fine;
    bool silent = false;  // no heartbeat, rather than the picture
    ULONGLONG lastedMs = 0;
};

class PictureSampler {
public:
    static constexpr int kWidth = 64;
    static constexpr int kHeight = 36;
    static constexpr DWORD kLookMs = 1000;

    using Pids = std::function<std::vector<DWORD>()>;
    // Runs on the sampler's thread with the look's number.
    using Tell = std::function<void(unsigned number, const PictureFault& fault)>;
    // A line for the log, from the sampler's thread.
    using Note = std::function<void(const std::wstring& line)>;

    // `beats`: the heartbeat's listener, or null without one; it outlives the sampler.
    PictureSampler(const HealthSettings& settings, const HeartbeatListener* beats, Tell tell, Note note);
    ~PictureSampler();
    PictureSampler(const PictureSampler&) = delete;
    PictureSampler& operator=(const PictureSampler&) = delete;

    // Ends any look in progress and starts one at the windows of the processes `pids` names
    // (asked anew at every look), judged from `graceMs` on. `path`: the effect, for the log.
    // Returns the look's number.
    unsigned Look(Pids pids, DWORD graceMs, const std::wstring& path);
    void Stop();

    // The brightness thumbnail of a rectangle of the desktop; empty when it cannot be read.
    static std::vector<std::uint8_t> Thumbnail(const RECT& area);
    // The largest visible top-level window of these processes, or null.
    static HWND LargestWindow(const std::vector<DWORD>& pids);
    // The first window above `effect` that is not of `pids` nor of the launcher and covers
    // more than a quarter of it; null when none does.
    static HWND Coverer(HWND effect, const std::vector<DWORD>& pids);

private:
    static DWORD WINAPI ThreadMain(void* self);
    void Run();
    void Uncover(HWND effect, const std::vector<DWORD>& pids, ULONGLONG now);

    HealthSettings settings_;
    const HeartbeatListener* beats_;
    Tell tell_;
    Note note_;
    CoverTally covers_;
    kit::UniqueHandle thread_;
    kit::UniqueHandle stop_;
    unsigned number_ = 0;
    // The thread's own, set before it starts.
    Pids pids_;
    DWORD graceMs_ = 0;
    std::wstring path_;
};

}  // namespace health
