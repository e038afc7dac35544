#include "guardian/LauncherGuard.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "framework/ProcessList.h"

namespace guardian {
namespace {

bool IsExceptionCode(DWORD code)
{
    return (code & 0xC0000000u) == 0xC0000000u && code != STILL_ACTIVE;
}

std::wstring Hex(DWORD code)
{
    wchar_t text[16];
    std::swprintf(text, 16, L"0x%08lX", code);
    return text;
}

ULONGLONG CreationTime(HANDLE process)
{
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return ~0ULL;
    return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

struct BarSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindBarWindow(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<BarSearch*>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != search->pid) return TRUE;
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    // The bar is a dialog; the sheet and the boxes on it share its thread, so any of them
    // answers for it.
    if (std::wcscmp(name, L"#32770") != 0) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

LauncherGuard::LauncherGuard(const std::wstring& folder, DWORD hangSeconds)
    : folder_(folder),
      program_(folder + L"\\" + kLauncherProgram),
      hangMs_(hangSeconds * 1000ULL),
      log_(folder + L"\\log"),
      dumps_(folder + L"\\log\\dumps")
{
}

void LauncherGuard::Run(HANDLE exitEvent)
{
    log_.Write(L"guardian start, pid " + std::to_wstring(GetCurrentProcessId()) + L" (a bar silent for " +
               std::to_wstring(hangMs_ / 1000) + L" s is a hang)");
    for (;;) {
        if (!launcher_ && !Adopt()) {
            bool exiting = false;
            if (!why_.empty()) PauseBeforeStart(exitEvent, exiting);
            if (exiting) break;
            // One started by hand in the meantime is the one to keep.
            if (!Adopt() && !Start()) {
                pauseMs_ = std::min(pauseMs_ * 2, kLongestPauseMs);
                continue;
            }
        }
        Ending ending = Watch(exitEvent);
        if (ending == Ending::OperatorExit) break;
        // One that dies soon after it came back keeps dying: it waits longer each time.
        bool steady = !startedByUs_ || GetTickCount64() - startedAt_ >= kSteadyMs;
        pauseMs_ = steady ? kFirstPauseMs : std::min(pauseMs_ * 2, kLongestPauseMs);
        Forget();
    }
    log_.Write(L"guardian end: the operator's exit");
}

bool LauncherGuard::Adopt()
{
    kit::UniqueHandle best;
    DWORD bestPid = 0;
    ULONGLONG bestCreated = ~0ULL;
    for (const kit::ProcessInfo& process : kit::ListProcesses()) {
        if (process.image != kit::LowerName(kLauncherProgram)) continue;
        kit::UniqueHandle handle(OpenProcess(PROCESS_ALL_ACCESS, FALSE, process.pid));
        if (!handle || _wcsicmp(kit::ProcessImagePath(handle.Get()).c_str(), program_.c_str()) != 0) continue;
        if (WaitForSingleObject(handle.Get(), 0) == WAIT_OBJECT_0) continue;
        // A second copy started by hand shows the first one's bar and ends: the oldest is the one.
        ULONGLONG created = CreationTime(handle.Get());
        if (created >= bestCreated) continue;
        bestCreated = created;
        bestPid = process.pid;
        best = std::move(handle);
    }
    if (!best) return false;
    launcher_ = std::move(best);
    pid_ = bestPid;
    startedByUs_ = false;
    startedAt_ = GetTickCount64();
    answeredAt_ = 0;
    log_.Write(L"watching Pavora.exe (pid " + std::to_wstring(pid_) + L")");
    why_.clear();
    dump_.clear();
    return true;
}

bool LauncherGuard::Start()
{
    std::wstring command = L"\"" + program_ + L"\"";
    if (!why_.empty()) {
        command += std::wstring(L" ") + kRestartedSwitch + L" " + why_;
        if (!dump_.empty()) command += L" " + dump_;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program_.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder_.c_str(), &startup,
                        &process)) {
        log_.Write(L"could not start " + program_ + L" (error " + std::to_wstring(GetLastError()) +
                   L"); next try in " + std::to_wstring(std::min(pauseMs_ * 2, kLongestPauseMs) / 1000) + L" s");
        return false;
    }
    CloseHandle(process.hThread);
    launcher_.Reset(process.hProcess);
    pid_ = process.dwProcessId;
    startedByUs_ = true;
    startedAt_ = GetTickCount64();
    answeredAt_ = 0;
    log_.Write(L"started Pavora.exe (pid " + std::to_wstring(pid_) + L")" +
               (why_.empty() ? std::wstring() : L" after " + why_));
    why_.clear();
    dump_.clear();
    return true;
}

void LauncherGuard::Forget()
{
    if (note_) UnmapViewOfFile(note_);
    note_ = nullptr;
    noteMapping_.Reset();
    crashEvent_.Reset();
    launcher_.Reset();
    pid_ = 0;
}

void LauncherGuard::PauseBeforeStart(HANDLE exitEvent, bool& exiting)
{
    log_.Write(L"starting Pavora.exe again after " + why_ + L" in " + std::to_wstring(pauseMs_) + L" ms");
    exiting = WaitForSingleObject(exitEvent, static_cast<DWORD>(pauseMs_)) == WAIT_OBJECT_0;
}

LauncherGuard::Ending LauncherGuard::Watch(HANDLE exitEvent)
{
    for (;;) {
        // The launcher makes its crash event early in its start; until then only the others count.
        if (!crashEvent_) {
            crashEvent_.Reset(OpenEventW(SYNCHRONIZE, FALSE, CrashEventName(folder_, pid_).c_str()));
            noteMapping_.Reset(OpenFileMappingW(FILE_MAP_READ, FALSE, CrashNoteName(folder_, pid_).c_str()));
            if (noteMapping_)
                note_ = static_cast<const CrashNote*>(MapViewOfFile(noteMapping_.Get(), FILE_MAP_READ, 0, 0, 0));
            if (!note_) crashEvent_.Reset();
        }
        HANDLE waits[3] = {exitEvent, launcher_.Get(), crashEvent_.Get()};
        DWORD count = crashEvent_ ? 3 : 2;
        DWORD woke = WaitForMultipleObjects(count, waits, FALSE, 1000);
        if (woke == WAIT_OBJECT_0) return Ending::OperatorExit;
        if (woke == WAIT_OBJECT_0 + 1) {
            DWORD code = 0;
            GetExitCodeProcess(launcher_.Get(), &code);
            if (IsExceptionCode(code)) {
                why_ = L"crash";
                log_.Write(L"Pavora.exe (pid " + std::to_wstring(pid_) + L") crashed with " + Hex(code) +
                           L"; it was gone before a dump could be taken");
                return Ending::Crash;
            }
            why_ = L"end";
            log_.Write(L"Pavora.exe (pid " + std::to_wstring(pid_) + L") ended with code " + std::to_wstring(code) +
                       L", not by the operator's exit");
            return Ending::End;
        }
        if (woke == WAIT_OBJECT_0 + 2) {
            CrashNote note = *note_;
            why_ = L"crash";
            dump_ = Dump(L"crash", &note);
            log_.Write(L"Pavora.exe (pid " + std::to_wstring(pid_) + L") crashed with " + Hex(note.code) +
                       L" on thread " + std::to_wstring(note.threadId) + L"; dump " + dump_);
            EndLauncher(note.code);
            return Ending::Crash;
        }
        DWORD dialogPid = 0;
        if (CrashDialog(dialogPid)) {
            why_ = L"crash";
            dump_ = Dump(L"crash", nullptr);
            EndLauncher(1);
            kit::UniqueHandle dialog(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, dialogPid));
            if (dialog) {
                TerminateProcess(dialog.Get(), 1);
                WaitForSingleObject(dialog.Get(), 2000);
            }
            log_.Write(L"Pavora.exe crashed and a crash dialog (pid " + std::to_wstring(dialogPid) +
                       L") held it; both ended; dump " + dump_);
            return Ending::Crash;
        }
        if (Probe() == Ending::Hang) {
            why_ = L"hang";
            dump_ = Dump(L"hang", nullptr);
            ULONGLONG silent = answeredAt_ ? GetTickCount64() - answeredAt_ : GetTickCount64() - startedAt_;
            EndLauncher(1);
            log_.Write(L"Pavora.exe (pid " + std::to_wstring(pid_) + L") did not answer for " +
                       std::to_wstring(silent / 1000) + L" s; ended; dump " + dump_);
            return Ending::Hang;
        }
    }
}

LauncherGuard::Ending LauncherGuard::Probe()
{
    BarSearch search{pid_, nullptr};
    EnumWindows(FindBarWindow, reinterpret_cast<LPARAM>(&search));
    ULONGLONG now = GetTickCount64();
    if (!search.found) {
        // Before its first window: only a start-up that never ends is a hang.
        if (!answeredAt_ && now - startedAt_ >= std::max(kStartupMs, hangMs_)) return Ending::Hang;
        return Ending::None;
    }
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(search.found, WM_NULL, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, kProbeTimeoutMs, &result)) {
        answeredAt_ = GetTickCount64();
        return Ending::None;
    }
    if (!answeredAt_) answeredAt_ = now;  // silent from its first window on
    return GetTickCount64() - answeredAt_ >= hangMs_ ? Ending::Hang : Ending::None;
}

bool LauncherGuard::CrashDialog(DWORD& dialogPid)
{
    for (const kit::ProcessInfo& process : kit::ListProcesses()) {
        if (process.parentPid != pid_ || !kit::IsCrashDialog(process.image)) continue;
        dialogPid = process.pid;
        return true;
    }
    return false;
}

void LauncherGuard::EndLauncher(DWORD code)
{
    TerminateProcess(launcher_.Get(), code);
    WaitForSingleObject(launcher_.Get(), 5000);
}

std::wstring LauncherGuard::Dump(const wchar_t* why, const CrashNote* note)
{
    std::wstring problem;
    std::wstring name = dumps_.Write(launcher_.Get(), pid_, why, note, problem);
    if (name.empty()) log_.Write(L"no dump of Pavora.exe: " + problem);
    return name;
}

}  // namespace guardian
