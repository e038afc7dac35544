#pragma once
// The launcher's side of its guardian (PavoraGuard.exe): brings it at the start when none
// runs, starts it again when it ends, hands the launcher's own crashes to it, and tells it
// first when the operator ends the launcher, so that nothing comes back.
#include <windows.h>

#include <functional>
#include <string>

#include "framework/Handles.h"

namespace launcher {

class GuardianLink {
public:
    static constexpr UINT kCheckPeriod = 2000;
    using Log = std::function<void(const std::wstring&)>;

    // The check is the bar's timer kGuardTimer (launcher/BarWiring.h).
    GuardianLink(HWND bar, Log log) : bar_(bar), log_(std::move(log)) {}
    GuardianLink(const GuardianLink&) = delete;
    GuardianLink& operator=(const GuardianLink&) = delete;

    // Reads [guard] of Bin\config.ini in `folder`, the installation.
    void Open(const std::wstring& folder);
    // Timer kGuardTimer: a guardian that ended is started again.
    void OnTimer();
    // The operator's exit and every orderly end of the launcher: the guardian ends first.
    void Ending();

private:
    bool Find();
    void Start();

    HWND bar_;
    Log log_;
    std::wstring folder_;
    std::wstring program_;
    bool on_ = false;
    bool ending_ = false;
    kit::UniqueHandle process_;
    DWORD pid_ = 0;
    kit::UniqueHandle exitEvent_;
    DWORD lastError_ = 0;  // of the last start that failed, logged once
};

}  // namespace launcher
