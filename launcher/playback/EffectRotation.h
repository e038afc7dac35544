#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "core/effects/EffectEntry.h"
#include "launcher/BarWiring.h"
#include "launcher/playback/RotationHost.h"

namespace launcher {

constexpr UINT kWatchdogPeriod = 20 * 60 * 1000;
constexpr UINT kFrontDelay = 20000;
// 0.15 minutes, the shortest play time the effect page accepts.
constexpr UINT kShortestPeriod = 9000;

// Plays a playlist in turn on the bar's timers, restarts a lone native effect every 20
// minutes and brings the effect window to the front after start-up. It knows whether it
// runs; the rotation button's caption follows (language text 3 stopped, 8 running).
class EffectRotation {
public:
    explicit EffectRotation(RotationHost& host);

    // The list to play. The rotation holds it as long as it plays it: a schedule's list may be
    // replaced while the rotation is stopped. The library's own playlist comes without an
    // owner (the library keeps it) and may have its content replaced in place.
    void SetPlaylist(std::shared_ptr<const EffectList> playlist) { playlist_ = std::move(playlist); }

    bool Running() const { return running_; }
    // Starts the rotation at the entry after the last one played (with a tip for an empty list).
    void Start(supervision::StartReason reason);
    // Stops a running rotation; the bar shows again only if asked.
    void Stop(bool showBar, supervision::StopReason reason);
    // The next start begins with entry 0.
    void Rewind() { index_ = -1; }
    // The next start begins with entry `index` (a launcher that came back goes on there).
    void ResumeAt(int index) { index_ = index - 1; }
    // Ends the entry that plays and starts the next one that can play (timer 2, "next").
    void Step(supervision::StartReason reason,
              supervision::StopReason stop = supervision::StopReason::RotationStep);
    // The entry before the one that plays, or entry `index` (from 0); a stopped rotation starts there.
    void StepBack(supervision::StartReason reason,
                  supervision::StopReason stop = supervision::StopReason::Operator);
    void PlayEntry(int index, supervision::StartReason reason,
                   supervision::StopReason stop = supervision::StopReason::Operator);
    // Message 6568.
    void OnEffectStarted(const std::wstring& path);
    // Timer 3.
    void Watchdog();
    // The lone effect's watchdog goes: the rotation's effects are not restarted by it.
    void DisarmWatchdog();
    // Timer 4 (one shot).
    void BringEffectToFront();

    int Index() const { return index_; }
    int Count() const;
    const EffectEntry* Entry(int index) const
    {
        return index >= 0 && index < Count() ? &(*playlist_)[static_cast<size_t>(index)] : nullptr;
    }
    const std::wstring& WatchedPath() const { return watchedPath_; }

    // Timer 2's period for an entry: minutes × 60,000 ms, the fraction cut off, never
    // below kShortestPeriod.
    static UINT PeriodOf(float minutes);

private:
    bool Advance(supervision::StartReason reason);
    void StopPlaying(supervision::StopReason reason);

    RotationHost& host_;
    std::shared_ptr<const EffectList> playlist_;
    int index_ = -1;
    bool running_ = false;
    std::wstring watchedPath_;
    // The program that the rotation started last and has not stopped yet; empty when
    // the last start failed.
    std::wstring playingPath_;
};

}  // namespace launcher
