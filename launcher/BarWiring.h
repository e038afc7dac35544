#pragma once
// Every timer of the bar's window and every message it takes, in one place: the numbers that
// other processes, the library and the shell rely on stand as they always were.
#include <windows.h>

#include "core/library/TessalyApi.h"

namespace launcher {

// Timers of the bar's window.
constexpr UINT_PTR kHideTimer = 1;      // hides the bar once after start-up
constexpr UINT_PTR kRotationTimer = 2;  // the entry's time is up
constexpr UINT_PTR kWatchdogTimer = 3;  // the lone native effect's 20-minute restart
constexpr UINT_PTR kFrontTimer = 4;     // the effect's window to the front after start-up
constexpr UINT_PTR kRetryTimer = 5;     // the next try after a fault, or after a pass that failed whole
constexpr UINT_PTR kStatusTimer = 6;    // log\status.json every 30 s
constexpr UINT_PTR kStandbyTimer = 7;   // whether an entry can play again, during standby
constexpr UINT_PTR kClockTimer = 8;     // the schedule's look at the clock
constexpr UINT_PTR kGuardTimer = 9;     // whether the guardian still runs

// Messages of the bar's window.
constexpr UINT kTrayNotifyMessage = WM_USER + 12;  // 1036, from the shell
constexpr UINT kShowBarMessage = WM_USER + 23;     // 1047, from a second copy of the launcher
constexpr UINT kRelabelMenuMessage = 3012;         // from the tray, with the popup to relabel
// 6568, from the library's effect page and the bar itself: tessaly's kEffectStartedMessage.
using tessaly::kEffectStartedMessage;
// Work that another thread hands to the bar's thread (kit::PostToWindow).
constexpr UINT kRunOnBarMessage = WM_APP + 20;

}  // namespace launcher
