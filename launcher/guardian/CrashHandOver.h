#pragma once
// The launcher's last act when it crashes: it tells its guardian where (thread and
// exception), so that the guardian's dump shows the fault, and waits to be ended. Without a
// guardian the crash goes on as the system handles any.
#include <string>

namespace launcher {

void HandCrashesToGuardian(const std::wstring& folder);

}  // namespace launcher
