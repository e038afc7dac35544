#pragma once
// Why an effect starts and why the launcher ends one: each is named in the log.

namespace supervision {

enum class StartReason { Startup, RotationStart, RotationStep, EarlyStep, Restart, EffectPage, Watchdog, Schedule, Operator, Remote };
enum class StopReason { RotationStep, UserStop, Watchdog, Schedule, Operator, Remote };

}  // namespace supervision
