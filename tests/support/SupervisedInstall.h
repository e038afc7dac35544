#pragma once
// A staged installation whose playlist holds copies of the misbehaving stand-in effect,
// with the supervision's settings given, and the launcher started in it: shared by the
// supervision's whole-program tests and its benchmark.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/LauncherHarness.h"

namespace e2e {

struct SupervisedEffect {
    std::string fault;     // the line of its ".fault" file; empty for none
    bool present = true;   // false: the playlist names it, its program is not there
    std::wstring program;  // its path below effects\sv; empty: fxSv<letter>.exe
};

class SupervisedInstall {
public:
    // Effects "effects\sv\fxSv<letter>.exe" for A, B, …; `supervise` is the section's body.
    SupervisedInstall(const std::wstring& name, const std::vector<SupervisedEffect>& effects,
                      const std::string& supervise, const std::string& minutes = "10");
    ~SupervisedInstall();

    void Start();
    RunningLauncher& Launcher() { return *launcher_; }
    StagedInstall& Install() { return *install_; }
    const std::wstring& Path(size_t effect) const { return paths_[effect]; }
    std::wstring Image(size_t effect) const { return ImageOf(paths_[effect]); }

    void SetFault(size_t effect, const std::string& fault);
    void PutProgram(size_t effect);
    // A program file that is none (half copied): the system cannot start it.
    void PutBrokenProgram(size_t effect);

    // The ".starts" lines of an effect: one per start, its process and the tick count once
    // its window showed.
    struct StartRecord {
        DWORD pid;
        ULONGLONG tick;  // GetTickCount64
    };
    std::vector<StartRecord> Starts(size_t effect) const;
    bool WaitForStarts(size_t effect, size_t count, DWORD timeoutMs) const;

    std::string Log() const;
    bool WaitForLog(const std::string& text, DWORD timeoutMs) const;
    std::string Status() const;

    // Moves the launcher's clock of long waits forward.
    void ShiftClock(unsigned seconds);

private:
    std::unique_ptr<StagedInstall> install_;
    std::unique_ptr<RunningLauncher> launcher_;
    std::wstring title_;
    std::vector<std::wstring> paths_;
};

// The crash dialogs that a crash may leave.
int CrashDialogCount();
// JSON's form of a text (quotes, backslashes doubled), as the status file holds it.
std::string JsonString(const std::wstring& text);

}  // namespace e2e
