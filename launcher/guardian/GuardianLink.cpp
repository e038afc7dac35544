#include "launcher/guardian/GuardianLink.h"

#include "framework/ProcessList.h"
#include "guardian/GuardNames.h"
#include "guardian/GuardSettings.h"
#include "launcher/BarWiring.h"
#include "launcher/guardian/CrashHandOver.h"

namespace launcher {

void GuardianLink::Open(const std::wstring& folder)
{
    folder_ = folder;
    program_ = folder + L"\\" + guardian::kGuardProgram;
    guardian::GuardSettings settings = guardian::GuardSettings::Read((folder + L"\\Bin\\config.ini").c_str());
    for (const std::wstring& note : settings.notes) log_(note);
    on_ = settings.on;
    if (!on_) {
        log_(L"guardian off ([guard] on=0)");
        return;
    }
    // Made here, before any guardian: an exit right after a guardian's start still reaches it.
    exitEvent_.Reset(CreateEventW(nullptr, TRUE, FALSE, guardian::ExitEventName(folder).c_str()));
    HandCrashesToGuardian(folder);
    if (!Find()) Start();
    SetTimer(bar_, kGuardTimer, kCheckPeriod, nullptr);
}

bool GuardianLink::Find()
{
    for (const kit::ProcessInfo& process : kit::ListProcesses()) {
        if (process.image != kit::LowerName(guardian::kGuardProgram)) continue;
        kit::UniqueHandle handle(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process.pid));
        if (!handle || _wcsicmp(kit::ProcessImagePath(handle.Get()).c_str(), program_.c_str()) != 0) continue;
        if (WaitForSingleObject(handle.Get(), 0) == WAIT_OBJECT_0) continue;
        process_ = std::move(handle);
        pid_ = process.pid;
        return true;
    }
    return false;
}

void GuardianLink::Start()
{
    std::wstring command = L"\"" + program_ + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program_.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(), &startup,
                        &started)) {
        DWORD error = GetLastError();
        if (error != lastError_)
            log_(L"the guardian " + program_ + L" cannot be started (error " + std::to_wstring(error) +
                 L"); tried again every " + std::to_wstring(kCheckPeriod / 1000) + L" s");
        lastError_ = error;
        return;
    }
    lastError_ = 0;
    CloseHandle(started.hThread);
    process_.Reset(started.hProcess);
    pid_ = started.dwProcessId;
    log_(L"guardian started (pid " + std::to_wstring(pid_) + L")");
}

void GuardianLink::OnTimer()
{
    if (!on_ || ending_) return;
    if (process_ && WaitForSingleObject(process_.Get(), 0) != WAIT_OBJECT_0) return;
    if (process_) {
        DWORD code = 0;
        GetExitCodeProcess(process_.Get(), &code);
        log_(L"guardian (pid " + std::to_wstring(pid_) + L") ended with code " + std::to_wstring(code) +
             L"; it is started again");
        process_.Reset();
    }
    // One that a second start made may be the one that runs.
    if (!Find()) Start();
}

void GuardianLink::Ending()
{
    if (!on_ || ending_) return;
    ending_ = true;
    KillTimer(bar_, kGuardTimer);
    if (exitEvent_) SetEvent(exitEvent_.Get());
    // It is gone before the launcher is: it never sees the launcher's end as a fault.
    if (process_ && WaitForSingleObject(process_.Get(), 3000) == WAIT_TIMEOUT)
        log_(L"the guardian did not end within 3 s of the operator's exit");
    else
        log_(L"guardian ended with the launcher");
}

}  // namespace launcher
