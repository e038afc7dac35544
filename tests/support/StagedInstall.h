#pragma once
// A copy of the staged installation in a folder of the test's own, and the launcher
// started inside it, so that whole-program tests drive the real Pavora.exe.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/TestFiles.h"

namespace e2e {

struct MessageBoxRecord {
    std::wstring ownerTitle;
    std::wstring caption;
    std::wstring text;  // line breaks as real line breaks
    UINT type;
};

// The folder of the test program (the build's bin folder).
std::wstring BinFolder();
// The build's staged installation.
std::wstring StageFolder();

class StagedInstall {
public:
    // Copies the staged installation into <build>\e2e-runs\<name> (a fresh folder).
    explicit StagedInstall(const std::wstring& name);
    ~StagedInstall();  // ends every process it started
    StagedInstall(const StagedInstall&) = delete;
    StagedInstall& operator=(const StagedInstall&) = delete;

    const std::wstring& Folder() const { return folder_; }
    std::wstring Path(const std::wstring& relative) const { return folder_ + L"\\" + relative; }

    // Bin\config.ini, written as given (ASCII text); without a [guard] section of its own, the
    // guardian is off.
    void WriteConfig(const std::string& text);
    // Bin\language.txt as UTF-16 LE with a byte-order mark.
    void WriteLanguage(const std::wstring& text);
    // A language file whose main-window title (number 6) is unique to this test, with
    // the installation's texts for everything else; language 1 = Chinese, 2 = English.
    std::wstring UseUniqueTitle();

    // Starts Pavora.exe (or another program of the folder) with the folder as current directory,
    // or `startFolder` when given. Message boxes are recorded and answered with `answer` (0 =
    // the first button).
    HANDLE Launch(const std::wstring& program = L"Pavora.exe", int answer = 0, const std::wstring& startFolder = L"");
    // The top-level window with this title, once it exists (and is visible if asked), or null.
    // With `owner`, only a window of that process counts (another launcher left running in the
    // prefix has the same title), and the wait ends when the process does.
    static HWND WaitForWindow(const std::wstring& title, DWORD timeoutMs, bool visible = true, HANDLE owner = nullptr);

    std::vector<MessageBoxRecord> MessageBoxes() const;
    // Waits until at least `count` message boxes were recorded.
    bool WaitForMessageBoxes(size_t count, DWORD timeoutMs) const;

    // Copies a program of the bin folder into the installation under another name.
    void CopyProgram(const std::wstring& fromBin, const std::wstring& toRelative);

private:
    std::wstring folder_;
    std::vector<HANDLE> processes_;
};

using testing_support::CopyTree;
using testing_support::FileExists;
using testing_support::ReadBytes;
using testing_support::RemoveTree;
using testing_support::WriteBytes;

// Running processes by image name (case-insensitive).
int CountProcesses(const std::wstring& imageName);
void KillProcesses(const std::wstring& imageName);
bool WaitForProcessCount(const std::wstring& imageName, int count, DWORD timeoutMs);
bool WaitForExit(HANDLE process, DWORD timeoutMs);
// Starts a launcher's shortcut from `folder` as the shell does (log-on starts in the system
// folder) and tells whether its bar came up titled `title` and, when given, a process named
// `effect` ran; the launcher and the effect are ended after.
bool StartsFromShortcut(const std::wstring& shortcut, const std::wstring& folder, const std::wstring& title,
                        const wchar_t* effect);
// Processes of this image name that `parent` started, opened to wait on and end.
std::vector<HANDLE> ChildrenOf(DWORD parent, const wchar_t* imageName);

// Runs the messages of this thread for a while (so that sent messages and timers are served).
void Pump(DWORD milliseconds);

std::wstring WindowText(HWND window);

}  // namespace e2e
