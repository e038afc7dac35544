#include "launcher/playback/EffectRotation.h"

#include <cwchar>

namespace launcher {
namespace {

std::wstring PathOf(const EffectEntry& entry)
{
    return std::wstring(entry.path, wcsnlen(entry.path, sizeof(entry.path) / sizeof(entry.path[0])));
}

}  // namespace

EffectRotation::EffectRotation(RotationHost& host) : host_(host) {}

int EffectRotation::Count() const
{
    return playlist_ ? static_cast<int>(playlist_->size()) : 0;
}

UINT EffectRotation::PeriodOf(float minutes)
{
    // A time of 0, below zero or not a number would make the timer fire every few
    // milliseconds and restart effect programs nonstop: hold it at the shortest time the
    // effect page accepts. In double the product of any float and 60,000 is exact, so the
    // cut is the same in every build.
    double milliseconds = static_cast<double>(minutes) * 60000.0;
    if (!(milliseconds >= kShortestPeriod)) return kShortestPeriod;
    if (milliseconds >= static_cast<double>(USER_TIMER_MAXIMUM)) return USER_TIMER_MAXIMUM;
    return static_cast<UINT>(milliseconds);
}

void EffectRotation::Start(supervision::StartReason reason)
{
    if (running_) return;
    if (Count() == 0) {
        host_.ShowTips(host_.LanguageText(L"27"));
        return;
    }
    running_ = true;
    host_.ShowBar(false);
    DisarmWatchdog();
    Advance(reason);
    host_.SetRotationCaption(host_.LanguageText(L"8"));
    host_.SetStatusText(host_.LanguageText(L"29"));
}

void EffectRotation::Stop(bool showBar, supervision::StopReason reason)
{
    if (!running_) return;
    running_ = false;
    host_.SetRotationCaption(host_.LanguageText(L"3"));
    if (index_ != -1) StopPlaying(reason);
    // A later start goes on after the entry that played (after entry 0 when the list shrank).
    if (Count() == 0) index_ = -1;
    else if (index_ >= Count()) index_ = 0;
    host_.StopTimer(kRotationTimer);
    if (showBar) host_.ShowBar(true);
    host_.SetStatusText(host_.LanguageText(L"28"));
}

void EffectRotation::Step(supervision::StartReason reason, supervision::StopReason stop)
{
    StopPlaying(stop);
    Advance(reason);
}

void EffectRotation::StepBack(supervision::StartReason reason, supervision::StopReason stop)
{
    int count = Count();
    if (count == 0) return;
    PlayEntry(((index_ < 0 ? 0 : index_) - 1 + count) % count, reason, stop);
}

void EffectRotation::PlayEntry(int index, supervision::StartReason reason, supervision::StopReason stop)
{
    if (index < 0 || index >= Count()) return;
    // Advance moves on one first.
    index_ = index - 1;
    if (running_) Step(reason, stop);
    else Start(reason);
}

bool EffectRotation::Advance(supervision::StartReason reason)
{
    if (Count() == 0) return false;
    for (int tried = 0; tried < Count(); ++tried) {
        // Wraps after the last entry, and also when the list shrank below the index.
        ++index_;
        if (index_ >= Count()) index_ = 0;
        const EffectEntry& entry = (*playlist_)[static_cast<size_t>(index_)];
        std::wstring path = PathOf(entry);
        if (!host_.CanPlay(path)) continue;
        // A program that cannot start (half copied, blocked, access denied) is that entry's
        // failure, which the host records; the next entry plays at once.
        if (!host_.StartEffect(path, reason, true)) continue;
        playingPath_ = path;
        host_.StopTimer(kRotationTimer);
        host_.StartTimer(kRotationTimer, PeriodOf(entry.time));
        return true;
    }
    host_.NothingToPlay();
    return false;
}

void EffectRotation::StopPlaying(supervision::StopReason reason)
{
    // What the rotation started, not the entry now at the index: the effect page may have
    // replaced the playlist in place, so the index can name another program or none.
    if (!playingPath_.empty()) host_.StopEffect(playingPath_, reason);
    playingPath_.clear();
}

void EffectRotation::OnEffectStarted(const std::wstring& path)
{
    if (host_.IsBarVisible()) host_.ShowBar(false);
    watchedPath_.clear();
    host_.StopTimer(kWatchdogTimer);
    if (host_.IsNativeEffect(path)) {
        watchedPath_ = path;
        host_.StartTimer(kWatchdogTimer, kWatchdogPeriod);
    }
}

void EffectRotation::DisarmWatchdog()
{
    host_.StopTimer(kWatchdogTimer);
    watchedPath_.clear();
}

void EffectRotation::Watchdog()
{
    if (watchedPath_.empty()) return;
    if (host_.StopEffect(watchedPath_, supervision::StopReason::Watchdog) != 0) {
        host_.StartEffect(watchedPath_, supervision::StartReason::Watchdog, false);
        return;
    }
    // The user closed it: nothing left to watch.
    host_.StopTimer(kWatchdogTimer);
    watchedPath_.clear();
}

void EffectRotation::BringEffectToFront()
{
    host_.StopTimer(kFrontTimer);
    HWND window = host_.FindEffectWindow();
    if (window) host_.BringToFront(window);
}

}  // namespace launcher
