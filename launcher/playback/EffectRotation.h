#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "core/effects/EffectEntry.h"
#include "launcher/RotationHost.h"

namespace launcher {

constexpr UINT_PTR kRotationTimer = 2;
constexpr UINT_PTR kWatchdogTimer = 3;
constexpr UINT_PTR kFrontTimer = 4;
constexpr UINT kWatchdogPeriod = 20 * 60 * 1000;
constexpr UINT kFrontDelay = 20000;
// 0.15 minutes, the shortest play time the effect page accepts.
constexpr UINT kShortestPeriod = 9000;

// Plays the library's playlist in turn on the bar's timers, restarts a lone native
// effect every 20 minutes and brings the effect window to the front after start-up.
// The caption of the rotation button is the state: language text 3 means stopped.
class EffectRotation {
public:
    explicit EffectRotation(RotationHost& host);

    // The list to play. The rotation holds it as long as it plays it: a schedule's list may be
    // replaced while the rotation is stopped. The library's own playlist comes without an
    // owner (the library keeps it) and may have its content replaced in place.
    void SetPlaylist(std::shared_ptr<const EffectList> playlist) { playlist_ = std::move(playlist); }

    // The rotation button and Alt+F4.
    void Toggle();
    // Stops a running rotation as the button does; the bar shows again only if asked.
    void Stop(bool showBar);
    // The next start begins with entry 0.
    void Rewind() { index_ = -1; }
    // Timer 2: the current entry's time is up.
    void Step();
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
    bool Advance();
    void StopPlaying();

    RotationHost& host_;
    std::shared_ptr<const EffectList> playlist_;
    int index_ = -1;
    std::wstring watchedPath_;
    // The program that the rotation started last and has not stopped yet; empty when
    // the last start failed.
    std::wstring playingPath_;
};

}  // namespace launcher
