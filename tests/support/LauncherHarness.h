#pragma once
// The launcher driven from outside, as the user, the shell and a second copy would:
// messages posted to its bar, its controls read, its playlist and effect programs staged.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/StagedInstall.h"

namespace e2e {

// Ids of the bar and of the tray menu, as the launcher's resources give them.
enum BarControl : int {
    kSettingsButton = 1000,
    kCalibrateButton = 1001,
    kPointCountBox = 1002,
    kHideButton = 1005,
    kRotationButton = 1006,
    kPointCountLabel = 1007,
    kStatusText = 1008,
    kQuickButton = 1009,
};
constexpr WORD kMenuMediaShow = 32783;
constexpr WORD kMenuReset = 32785;
constexpr WORD kMenuExit = 57665;
constexpr UINT kShowBarMessage = 1047;

// A bar title that no other test's launcher has.
std::wstring UniqueTitle();

// A language file with texts of its own for everything the bar shows, so that a caption
// proves which number it came from: language 1 "<Chinese>#n", language 2 "<English>#n".
// Number 6, the bar's title, is `title` in both languages.
void WriteBarLanguage(StagedInstall& install, const std::wstring& title);
// WriteBarLanguage with a title that no other test's launcher has; returns the title.
std::wstring UseBarLanguage(StagedInstall& install);
// The text that WriteBarLanguage gave number `id` in `language` (1 or 2).
std::wstring BarText(int id, int language);

struct PlaylistEntry {
    std::wstring path;
    std::string time;  // as the file holds it, e.g. "8.5"
};
// data\EffectPath.xml in the ANSI code page.
void WritePlaylist(StagedInstall& install, const std::vector<PlaylistEntry>& entries);
// A copy of the stand-in program at `relative` in the installation, with the runtime
// libraries beside it; returns its full path.
std::wstring AddEffectProgram(StagedInstall& install, const std::wstring& relative);

// Waits, pumping, for a visible dialog that stands on `owner`; nullptr when none came.
HWND WaitForOwnedDialog(HWND owner, DWORD timeoutMs = 10000);
// Turns the sheet to `page` of its navigation list, as a click on the entry would.
void SelectSheetPage(HWND sheet, int page);

// The image name of a path (its part after the last backslash).
std::wstring ImageOf(const std::wstring& path);
// The ids of the running processes with this image name.
std::vector<DWORD> ProcessIds(const std::wstring& imageName);

// A launcher started in an installation, with its bar found by title. The constructor
// returns once the bar has finished its start-up (its modal loop runs); the destructor
// closes a launcher that still runs the way the user would, so that nothing it started
// is cut off halfway (the installation then ends whatever is left).
class RunningLauncher {
public:
    RunningLauncher(StagedInstall& install, const std::wstring& title, int messageBoxAnswer = 0);
    ~RunningLauncher();
    RunningLauncher(const RunningLauncher&) = delete;
    RunningLauncher& operator=(const RunningLauncher&) = delete;

    HWND Bar() const { return bar_; }
    HANDLE Process() const { return process_; }
    bool Alive() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

    HWND Control(int id) const { return GetDlgItem(bar_, id); }
    std::wstring Text(int id) const { return WindowText(Control(id)); }
    bool Visible() const { return IsWindowVisible(bar_) != FALSE; }

    void Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // A click on a button or a menu item.
    void Command(WORD id, WORD code = BN_CLICKED) const;
    // A window timer firing now.
    void Timer(UINT_PTR id) const;
    // A hot key of the global atom `atomName`, with these modifiers and key.
    void HotKey(const wchar_t* atomName, UINT modifiers, UINT key) const;

    // Returns once everything posted so far has been handled (false if the bar stopped
    // answering): posts a marker behind it and waits for the marker.
    bool Sync(DWORD timeoutMs = 10000) const;
    bool WaitVisible(bool visible, DWORD timeoutMs = 10000) const;

    // Clicks the settings button and waits, pumping, for a visible dialog that stands on
    // the bar; nullptr when none came.
    HWND OpenSettingsSheet(DWORD timeoutMs = 10000) const;

private:
    HANDLE process_ = nullptr;
    HWND bar_ = nullptr;
};

}  // namespace e2e
