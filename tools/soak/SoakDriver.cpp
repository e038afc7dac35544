// The soak: the launcher of a staged installation run through hundreds of faults, one at a
// time, each after the projection showed again, while a sampler watches what it shows.
//   pavora_soak --stage FOLDER --install FOLDER [--faults N] [--seed S] [--strict] [--one-life]
//   pavora_soak --plan [--faults N] [--seed S]     the faults a seed gives, every kind available
// Exit code 1 with --strict when a gap over 3 s, a dialog left or a changed operator file
// was seen; 2 when the soak could not run. --one-life leaves out the faults that end the
// launcher, so that its memory and handles are read across one launcher's life.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "tools/soak/ClockShifts.h"
#include "tools/soak/Faults.h"
#include "tools/soak/LogWatch.h"
#include "tools/soak/OperatorFiles.h"
#include "tools/soak/Processes.h"
#include "tools/soak/Projection.h"
#include "tools/soak/Report.h"
#include "tools/soak/SoakInstall.h"

namespace soak {
namespace {

const ULONGLONG kFreshMs = 3000;       // an effect fault goes to an effect that started this recently
const ULONGLONG kSettleMs = 500;
const ULONGLONG kRecoveryLimitMs = 90000;
const ULONGLONG kSteadyLauncherMs = 12000;  // the guardian's "keeps dying" ends at 10 s
// Beats at 0, 0.5, 1 and 1.5 s: the launcher has surely heard the effect beat before it stops.
const ULONGLONG kBeatingMs = 1600;
// The launcher judges an effect's picture, and uncovers it, only after its start grace (2 s):
// a picture fault that came sooner would be measured with the rest of the grace in it.
const ULONGLONG kPastGraceMs = 2500;
// After it is back on top, the covered effect must live on: it was covered, not failed.
const ULONGLONG kAfterCoverMs = 2000;
const size_t kFaultsBetweenBoundaries = 5;

struct Options {
    size_t faults = 1000;
    unsigned seed = 1;
    bool strict = false;
    bool planOnly = false;
    bool oneLife = false;
    std::wstring stage, install;
};

std::wstring FullPath(const std::wstring& path)
{
    wchar_t full[MAX_PATH * 2] = L"";
    GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr);
    std::wstring out = full;
    while (!out.empty() && out.back() == L'\\') out.pop_back();
    return out;
}

// Whether `upper` lies above `lower` among the top-level windows.
bool Above(HWND upper, HWND lower)
{
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
        if (window == upper) return true;
        if (window == lower) return false;
    }
    return false;
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Whether the program names this variable: the launcher of this build reads that seam.
bool ProgramNames(const std::wstring& program, const std::wstring& name)
{
    FILE* file = _wfopen(program.c_str(), L"rb");
    if (!file) return false;
    std::string bytes, wanted;
    char buffer[65536];
    size_t read;
    while ((read = std::fread(buffer, 1, sizeof(buffer), file)) > 0) bytes.append(buffer, read);
    std::fclose(file);
    for (wchar_t c : name) wanted += static_cast<char>(c), wanted += '\0';
    return bytes.find(wanted) != std::string::npos;
}

class Soak {
public:
    explicit Soak(const Options& options);
    int Run();

private:
    bool Prepare();
    void StartLauncher();
    DWORD Launcher() const { return NewestProcessOf(launcherPath_); }
    DWORD Guardian() const { return guardPath_.empty() ? 0 : NewestProcessOf(guardPath_); }
    void PollLogs();
    bool WaitFor(const std::function<bool()>& done, ULONGLONG timeoutMs);
    bool WaitForLogLine(const char* text, size_t from, ULONGLONG timeoutMs);
    bool WaitForPicture(ULONGLONG timeoutMs);
    bool WaitForFreshEffect(Sample& effect, ULONGLONG timeoutMs);
    bool WaitPastGrace(const Sample& effect);
    // From `from`, how long until `good` holds on top; false after the limit.
    bool Recovery(ULONGLONG from, const std::function<bool(const Sample&)>& good, ULONGLONG& ms);
    void StepSchedule();
    void LeaveClosedHours();
    void KeepChangedFiles();
    void Inject(const Planned& fault, Outcome& outcome);
    void InjectEffectFault(const Planned& fault, Outcome& outcome);
    void InjectCovered(Outcome& outcome);
    void InjectProgramGone(Outcome& outcome);
    void InjectLauncherDeath(const Planned& fault, Outcome& outcome);
    void InjectGuardianEnd(Outcome& outcome);
    void InjectClock(const Planned& fault, Outcome& outcome);
    void InjectSettings(Outcome& outcome);
    void InjectLogHeld(Outcome& outcome);
    void Finish();

    Options options_;
    SoakInstall install_;
    std::wstring launcherPath_, guardPath_;
    Available available_;
    ClockShifts clocks_;
    std::unique_ptr<Projection> projection_;
    LogWatch pavoraLog_, guardLog_;
    OperatorFiles files_;
    std::set<std::wstring> changedFiles_;
    ULONGLONG injectedAt_ = 0;
    Summary summary_;
    WORD heartbeatPort_ = 0;
};

Soak::Soak(const Options& options)
    : options_(options),
      clocks_(FullPath(options.install) + L"\\soak\\local-time-shift.txt",
              FullPath(options.install) + L"\\soak\\clock-shift.txt"),
      pavoraLog_(FullPath(options.install) + L"\\log", L"pavora"),
      guardLog_(FullPath(options.install) + L"\\log", L"guard"),
      files_(FullPath(options.install))
{
    install_.folder = FullPath(options.install);
    summary_.seed = options.seed;
}

void Soak::PollLogs()
{
    pavoraLog_.Poll();
    guardLog_.Poll();
}

bool Soak::WaitFor(const std::function<bool()>& done, ULONGLONG timeoutMs)
{
    for (ULONGLONG start = GetTickCount64();; Sleep(100)) {
        PollLogs();
        if (done()) return true;
        if (GetTickCount64() - start >= timeoutMs) return false;
    }
}

bool Soak::WaitForLogLine(const char* text, size_t from, ULONGLONG timeoutMs)
{
    return WaitFor(
        [&] {
            const auto& lines = pavoraLog_.Lines();
            for (size_t i = from; i < lines.size(); ++i)
                if (lines[i].text.find(text) != std::string::npos) return true;
            return false;
        },
        timeoutMs);
}

bool Soak::WaitForPicture(ULONGLONG timeoutMs)
{
    return WaitFor([&] { return Projection::Shows(projection_->Current()); }, timeoutMs);
}

bool Soak::WaitForFreshEffect(Sample& effect, ULONGLONG timeoutMs)
{
    return WaitFor(
        [&] {
            effect = projection_->Current();
            if (effect.top != Top::Effect || !Alive(effect.pid)) return false;
            ULONGLONG seen = projection_->FirstSeen(effect.pid);
            return seen && GetTickCount64() - seen < kFreshMs;
        },
        timeoutMs);
}

bool Soak::WaitPastGrace(const Sample& effect)
{
    ULONGLONG seen = projection_->FirstSeen(effect.pid);
    WaitFor([&] { return GetTickCount64() - seen >= kPastGraceMs; }, kPastGraceMs);
    return projection_->FirstSeen(effect.pid) == seen && Alive(effect.pid);
}

bool Soak::Recovery(ULONGLONG from, const std::function<bool(const Sample&)>& good, ULONGLONG& ms)
{
    Sample found;
    bool back = WaitFor(
        [&] {
            found = projection_->FirstSince(from, good);
            return found.tick != 0;
        },
        kRecoveryLimitMs);
    ms = back ? found.tick - injectedAt_ : GetTickCount64() - injectedAt_;
    return back;
}

bool Soak::Prepare()
{
    std::wstring self(MAX_PATH * 2, L'\0');
    self.resize(GetModuleFileNameW(nullptr, &self[0], MAX_PATH * 2));
    std::wstring bin = self.substr(0, self.rfind(L'\\'));
    std::wstring stage = FullPath(options_.stage);
    available_.guardian = Exists(stage + L"\\PavoraGuard.exe");
    available_.localTime = ProgramNames(stage + L"\\Pavora.exe", L"PAVORA_LOCAL_TIME_SHIFT_FILE");
    bool judgesPicture = ProgramNames(stage + L"\\Pavora.exe", L"frozenseconds");
    available_.picture = judgesPicture && Projection::ScreenReads();
    available_.covered = ProgramNames(stage + L"\\Pavora.exe", L"effect back on top");
    if (ProgramNames(stage + L"\\Pavora.exe", L"heartbeatport")) heartbeatPort_ = FreeUdpPort();
    available_.heartbeat = heartbeatPort_ != 0;
    available_.deaths = !options_.oneLife;
    std::wstring problem;
    if (!install_.Build(stage, bin + L"\\pavora_faulty_effect.exe", available_.localTime, heartbeatPort_, problem)) {
        std::fprintf(stderr, "soak: %ls\n", problem.c_str());
        return false;
    }
    clocks_.MoveLocal(0);
    clocks_.UseSchedule(available_.localTime);
    launcherPath_ = install_.Path(L"Pavora.exe");
    if (available_.guardian) guardPath_ = install_.Path(L"PavoraGuard.exe");
    if (!available_.guardian) std::printf("no guardian in the installation: the launcher's faults are left out\n");
    if (!available_.localTime)
        std::printf("the launcher reads no local-time shift: no schedule, and the local clock's moves are left out\n");
    if (!available_.picture)
        std::printf(judgesPicture ? "the screen cannot be read (no display): black and frozen pictures are left out\n"
                                  : "the launcher does not judge the picture: black and frozen pictures are left out\n");
    if (!available_.covered) std::printf("the launcher does not uncover its effect: covering windows are left out\n");
    if (!available_.heartbeat) std::printf("no heartbeat to listen to: silent heartbeats are left out\n");
    files_.Snapshot();
    std::vector<std::wstring> images;
    for (const std::wstring& effect : install_.effects) images.push_back(LowerName(effect));
    projection_.reset(new Projection(images, [this] { return clocks_.ClosedNow(); }));
    projection_->SetDuring("start-up");
    projection_->Start();
    StartLauncher();
    if (!WaitForPicture(60000)) {
        std::fprintf(stderr, "soak: the projection showed neither an effect nor the standby within 60 s\n");
        return false;
    }
    return true;
}

void Soak::StartLauncher()
{
    SetEnvironmentVariableW(L"PAVORA_LOCAL_TIME_SHIFT_FILE", install_.Path(L"soak\\local-time-shift.txt").c_str());
    SetEnvironmentVariableW(L"PAVORA_CLOCK_SHIFT_FILE", install_.Path(L"soak\\clock-shift.txt").c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::wstring command = L"\"" + launcherPath_ + L"\"";
    if (CreateProcessW(launcherPath_.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, install_.folder.c_str(),
                       &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

void Soak::KeepChangedFiles()
{
    for (const std::wstring& file : files_.Changed()) changedFiles_.insert(file);
}

void Soak::StepSchedule()
{
    projection_->SetDuring("schedule boundary");
    clocks_.ToNextBoundary(2);
    ++summary_.boundaries;
    WaitFor([] { return false; }, 1500);
    WaitForPicture(kRecoveryLimitMs);
}

void Soak::LeaveClosedHours()
{
    if (!clocks_.ClosedNow()) return;
    ++summary_.closedSpans;
    projection_->SetDuring("closed hours");
    // Long enough for the black to show, then on to the next part.
    WaitFor([&] { return projection_->Current().top == Top::ClosedBlack; }, 5000);
    WaitFor([] { return false; }, 2000);
    StepSchedule();
}

void Soak::Inject(const Planned& fault, Outcome& outcome)
{
    projection_->SetDuring(KindName(fault.kind));
    switch (fault.kind) {
    case Kind::EffectProgramGone: InjectProgramGone(outcome); break;
    case Kind::EffectCovered: InjectCovered(outcome); break;
    case Kind::LauncherCrash:
    case Kind::LauncherHang:
    case Kind::LauncherEnd: InjectLauncherDeath(fault, outcome); break;
    case Kind::GuardianEnd: InjectGuardianEnd(outcome); break;
    case Kind::ClockForward:
    case Kind::ClockBack:
    case Kind::ClockAcrossMidnight:
    case Kind::TickEdge31:
    case Kind::TickEdge32: InjectClock(fault, outcome); break;
    case Kind::SettingsSaved: InjectSettings(outcome); break;
    case Kind::LogUnwritable: InjectLogHeld(outcome); break;
    default: InjectEffectFault(fault, outcome); break;
    }
}

void Soak::InjectEffectFault(const Planned& fault, Outcome& outcome)
{
    Sample target;
    // Everything set aside ends within a minute; then an effect plays again.
    if (!WaitForFreshEffect(target, 90000)) {
        outcome.note = "no effect played to take the fault";
        injectedAt_ = GetTickCount64();
        return;
    }
    bool picture = fault.kind == Kind::EffectBlack || fault.kind == Kind::EffectFrozen;
    if (picture && !WaitPastGrace(target)) outcome.note = "the effect went within its start grace";
    if (fault.kind == Kind::EffectHeartbeatSilent) {
        // It beats first, so that the launcher expects it to go on.
        if (!CommandEffect(target.window, kEffectBeat, heartbeatPort_)) outcome.note = "the effect's window took no command";
        WaitFor([] { return false; }, kBeatingMs);
    }
    PollLogs();
    injectedAt_ = GetTickCount64();
    bool sent = false;
    switch (fault.kind) {
    case Kind::EffectCleanExit: sent = PressEscape(target.window); break;
    case Kind::EffectExitCode: sent = CommandEffect(target.window, kEffectExit, fault.value); break;
    case Kind::EffectCrash: sent = CommandEffect(target.window, kEffectCrash, 0); break;
    case Kind::EffectCrashDialog: sent = CommandEffect(target.window, kEffectCrashDialog, 0); break;
    case Kind::EffectHang: sent = CommandEffect(target.window, kEffectHang, 0); break;
    case Kind::EffectBusy: sent = CommandEffect(target.window, kEffectBusy, fault.value); break;
    case Kind::EffectBlack: sent = CommandEffect(target.window, kEffectPicture, kPictureBlack); break;
    case Kind::EffectFrozen: sent = CommandEffect(target.window, kEffectPicture, kPictureFrozen); break;
    case Kind::EffectHeartbeatSilent: sent = CommandEffect(target.window, kEffectBeat, 0); break;
    default: break;
    }
    if (!sent) outcome.note = "the effect's window took no command";
    DWORD pid = target.pid;
    auto replaced = [pid](const Sample& s) { return Projection::Shows(s) && !(s.top == Top::Effect && s.pid == pid); };
    if (fault.kind == Kind::EffectBusy) {
        // Nothing is to happen: the same effect stays on top through its busy time and after.
        WaitFor([] { return false; }, fault.value + 4000);
        outcome.recovered = true;
        if (!Alive(pid)) {
            outcome.note = "the busy effect was ended";
            outcome.recovered = Recovery(injectedAt_, replaced, outcome.recoveryMs);
        }
        return;
    }
    outcome.recovered = Recovery(injectedAt_, replaced, outcome.recoveryMs);
}

void Soak::InjectCovered(Outcome& outcome)
{
    Sample target;
    if (!WaitForFreshEffect(target, 90000)) {
        outcome.note = "no effect played to take the fault";
        injectedAt_ = GetTickCount64();
        return;
    }
    if (!WaitPastGrace(target)) outcome.note = "the effect went within its start grace";
    PollLogs();
    injectedAt_ = GetTickCount64();
    CoveringWindow cover;
    if (!cover.Window()) {
        outcome.note = "the covering window did not open";
        return;
    }
    // Watched here rather than by the sampler: the launcher may push the cover under between
    // two of its samples.
    ULONGLONG back = 0;
    while (!back && IsWindow(target.window) && GetTickCount64() - injectedAt_ < kRecoveryLimitMs) {
        if (Above(target.window, cover.Window())) back = GetTickCount64();
        else Sleep(10);
    }
    if (!back) {
        outcome.recoveryMs = GetTickCount64() - injectedAt_;
        if (!IsWindow(target.window)) outcome.note = "the covered effect's window went";
        return;
    }
    outcome.recovered = true;
    outcome.recoveryMs = back - injectedAt_;
    WaitFor([] { return false; }, kAfterCoverMs);
    if (!Alive(target.pid)) outcome.note = "the covered effect was ended";
}

void Soak::InjectProgramGone(Outcome& outcome)
{
    const std::wstring program = install_.effects[1], away = program + L".away";
    PollLogs();
    size_t from = pavoraLog_.Lines().size();
    injectedAt_ = GetTickCount64();
    if (!MoveFileExW(program.c_str(), away.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        outcome.note = "could not move the program away";
        return;
    }
    // Gone until the rotation came to it, and back until it was seen again.
    if (!WaitForLogLine("missing program", from, kRecoveryLimitMs)) outcome.note = "no entry missed the program";
    MoveFileExW(away.c_str(), program.c_str(), MOVEFILE_REPLACE_EXISTING);
    WaitForLogLine("program back", from, kRecoveryLimitMs);
    outcome.recovered = Recovery(injectedAt_, Projection::Shows, outcome.recoveryMs);
}

void Soak::InjectLauncherDeath(const Planned& fault, Outcome& outcome)
{
    DWORD old = Launcher();
    PollLogs();
    injectedAt_ = GetTickCount64();
    bool done = false;
    if (fault.kind == Kind::LauncherCrash) done = CrashRemotely(old);
    if (fault.kind == Kind::LauncherHang) done = SuspendAllThreads(old);
    if (fault.kind == Kind::LauncherEnd) done = EndAbruptly(old);
    if (!old || !done) {
        outcome.note = "could not reach the launcher";
        return;
    }
    DWORD fresh = 0;
    if (!WaitFor([&] { return (fresh = Launcher()) != 0 && fresh != old && BarOf(fresh); }, kRecoveryLimitMs)) {
        outcome.note = "the launcher was not started again";
        outcome.recoveryMs = GetTickCount64() - injectedAt_;
        return;
    }
    outcome.recovered = Recovery(GetTickCount64(), Projection::Shows, outcome.recoveryMs);
}

void Soak::InjectGuardianEnd(Outcome& outcome)
{
    WaitFor([&] { return Guardian() != 0; }, 30000);
    DWORD old = Guardian();
    PollLogs();
    injectedAt_ = GetTickCount64();
    if (!old || !EndAbruptly(old)) {
        outcome.note = "no guardian ran to end";
        return;
    }
    if (!WaitFor([&] { DWORD now = Guardian(); return now && now != old; }, 60000))
        outcome.note = "the guardian was not started again within 60 s";
    outcome.recovered = Recovery(injectedAt_, Projection::Shows, outcome.recoveryMs);
}

void Soak::InjectClock(const Planned& fault, Outcome& outcome)
{
    PollLogs();
    injectedAt_ = GetTickCount64();
    ULONGLONG watch = 3000;
    switch (fault.kind) {
    case Kind::ClockForward: clocks_.MoveLocal(3600); break;
    case Kind::ClockBack: clocks_.MoveLocal(-3600); break;
    case Kind::ClockAcrossMidnight:
        clocks_.BeforeMidnight(6);
        watch = 9000;
        break;
    case Kind::TickEdge31:
    case Kind::TickEdge32:
        clocks_.BeforeTickEdge(fault.kind == Kind::TickEdge31 ? 31 : 32, 5000);
        watch = 9000;
        break;
    default: break;
    }
    // Over the edge and a little beyond, then the picture must show.
    WaitFor([] { return false; }, watch);
    outcome.recovered = Recovery(injectedAt_, Projection::Shows, outcome.recoveryMs);
}

void Soak::InjectSettings(Outcome& outcome)
{
    Sample effect;
    WaitFor([&] { return (effect = projection_->Current()).top == Top::Effect; }, 90000);
    HWND bar = BarOf(Launcher());
    KeepChangedFiles();
    PollLogs();
    injectedAt_ = GetTickCount64();
    std::string problem;
    if (!bar) problem = "no bar to open the settings from";
    else SaveSettingsInSheet(bar, problem);
    outcome.note = problem;
    WaitFor([] { return false; }, 1000);
    // What the sheet wrote is the operator's own change.
    files_.Snapshot();
    outcome.recovered = Recovery(injectedAt_, Projection::Shows, outcome.recoveryMs);
}

void Soak::InjectLogHeld(Outcome& outcome)
{
    PollLogs();
    size_t from = pavoraLog_.Lines().size();
    injectedAt_ = GetTickCount64();
    {
        // Longer than an effect's 12 s, so that a rotation step has to write while it is held.
        LogFolderHeld held(install_.Path(L"log"));
        WaitFor([] { return false; }, 13000);
    }
    // The lines kept meanwhile go out with the next one the launcher writes: a rotation step
    // at the latest.
    WaitForLogLine("log could not be written", from, 20000);
    outcome.recovered = Recovery(injectedAt_, Projection::Shows, outcome.recoveryMs);
}

int Soak::Run()
{
    ULONGLONG began = GetTickCount64();
    if (!Prepare()) {
        Finish();
        return 2;
    }
    std::vector<Planned> plan = Plan(options_.faults, options_.seed, available_);
    std::deque<Planned> queue(plan.begin(), plan.end());
    std::vector<Outcome> outcomes;
    std::vector<std::pair<size_t, size_t>> logFrom;  // each fault's first line in both logs
    size_t readingAfter = options_.faults >= 100 ? 50 : options_.faults / 2;
    if (readingAfter == 0) summary_.first = CostOf(Launcher());
    size_t sinceBoundary = 0;
    while (!queue.empty()) {
        WaitForPicture(kRecoveryLimitMs);
        if (available_.localTime) {
            LeaveClosedHours();
            if (++sinceBoundary >= kFaultsBetweenBoundaries) {
                sinceBoundary = 0;
                StepSchedule();
                LeaveClosedHours();
            }
        }
        // The launcher's deaths wait until it ran long enough not to count as one that keeps dying.
        auto next = queue.begin();
        while (next != queue.end() && KillsLauncher(next->kind) && ProcessAgeMs(Launcher()) < kSteadyLauncherMs) ++next;
        if (next == queue.end()) {
            projection_->SetDuring("waiting for the launcher to run 12 s");
            WaitFor([&] { return ProcessAgeMs(Launcher()) >= kSteadyLauncherMs; }, kSteadyLauncherMs);
            continue;
        }
        Planned fault = *next;
        queue.erase(next);
        Outcome outcome;
        outcome.fault = fault;
        PollLogs();
        logFrom.emplace_back(pavoraLog_.Lines().size(), guardLog_.Lines().size());
        outcome.at = clocks_.LocalStamp();
        Inject(fault, outcome);
        outcomes.push_back(outcome);
        projection_->SetDuring(std::string("after ") + KindName(fault.kind));
        WaitFor([] { return false; }, kSettleMs);
        if (outcomes.size() == readingAfter) summary_.first = CostOf(Launcher());
        if (outcomes.size() % 50 == 0) {
            ProcessCost now = CostOf(Launcher());
            std::fprintf(stderr, "soak: %zu of %zu faults, %llu s, launcher %lu: handles %lu, private MB %.1f\n",
                         outcomes.size(), options_.faults, (GetTickCount64() - began) / 1000, now.pid, now.handles,
                         static_cast<double>(now.privateBytes) / (1024.0 * 1024.0));
        }
    }
    projection_->SetDuring("end");
    WaitFor([] { return false; }, 3000);
    for (size_t i = 0; i < outcomes.size(); ++i) {
        size_t pavoraEnd = i + 1 < logFrom.size() ? logFrom[i + 1].first : pavoraLog_.Lines().size();
        size_t guardEnd = i + 1 < logFrom.size() ? logFrom[i + 1].second : guardLog_.Lines().size();
        std::vector<std::string> launcher, guard;
        for (size_t l = logFrom[i].first; l < pavoraEnd; ++l) launcher.push_back(pavoraLog_.Lines()[l].text);
        for (size_t l = logFrom[i].second; l < guardEnd; ++l) guard.push_back(guardLog_.Lines()[l].text);
        outcomes[i].logged = Logged(outcomes[i].fault, launcher, guard);
    }
    summary_.faults = outcomes.size();
    summary_.last = CostOf(Launcher());
    summary_.dialogs = CountDialogsLeft();
    for (const std::wstring& effect : install_.effects) summary_.effectsRunning += ProcessIds(LowerName(effect)).size();
    KeepChangedFiles();
    summary_.changedFiles.assign(changedFiles_.begin(), changedFiles_.end());
    projection_->Stop();
    summary_.gaps = projection_->Gaps();
    summary_.closedNotBlackMs = projection_->ClosedNotBlackMs();
    Finish();
    WriteFaultList(install_.Path(L"soak\\faults.txt"), outcomes);
    summary_.tookMs = GetTickCount64() - began;
    PrintReport(outcomes, summary_);
    return options_.strict && Failed(summary_) ? 1 : 0;
}

void Soak::Finish()
{
    if (projection_) projection_->Stop();
    // The operator's exit first, so that the guardian ends with the launcher; then whatever stayed.
    if (HWND bar = BarOf(Launcher())) {
        PostMessageW(bar, WM_CLOSE, 0, 0);
        WaitFor([&] { return Launcher() == 0; }, 10000);
    }
    EndProcesses(L"PavoraGuard.exe", install_.folder);
    EndProcesses(L"Pavora.exe", install_.folder);
    for (const std::wstring& effect : install_.effects) EndProcesses(LowerName(effect), install_.folder);
    EndProcesses(L"winedbg.exe");
    EndProcesses(L"WerFault.exe");
}

bool ParseOptions(int argc, wchar_t** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == L"--faults" && hasValue) options.faults = std::wcstoul(argv[++i], nullptr, 10);
        else if (arg == L"--seed" && hasValue) options.seed = static_cast<unsigned>(std::wcstoul(argv[++i], nullptr, 10));
        else if (arg == L"--stage" && hasValue) options.stage = argv[++i];
        else if (arg == L"--install" && hasValue) options.install = argv[++i];
        else if (arg == L"--strict") options.strict = true;
        else if (arg == L"--plan") options.planOnly = true;
        else if (arg == L"--one-life") options.oneLife = true;
        else return false;
    }
    return (options.planOnly || (!options.stage.empty() && !options.install.empty())) && options.faults > 0;
}

}  // namespace
}  // namespace soak

int wmain(int argc, wchar_t** argv)
{
    soak::Options options;
    if (!soak::ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: pavora_soak --stage FOLDER --install FOLDER [--faults N] [--seed S] [--strict] [--one-life]\n"
                             "       pavora_soak --plan [--faults N] [--seed S]\n");
        return 2;
    }
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (options.planOnly) {
        soak::Available all;
        all.guardian = all.localTime = all.picture = all.covered = all.heartbeat = true;
        for (const soak::Planned& fault : soak::Plan(options.faults, options.seed, all))
            std::printf("%s\n", soak::KindName(fault.kind));
        return 0;
    }
    return soak::Soak(options).Run();
}
