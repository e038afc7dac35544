// What each operator's command does to what plays, decided in one place, against a stand-in
// for the bar and the library: every source of commands (buttons, tray, hot keys, a remote
// control) gets exactly these answers.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "framework/PostToWindow.h"
#include "launcher/BarWiring.h"
#include "launcher/playback/Playback.h"
#include "tests/support/TestFiles.h"

using launcher::Command;
using launcher::Playback;
using launcher::Request;

namespace {

class FakeBar : public launcher::PlaybackHost, public launcher::EffectPrograms {
public:
    std::set<std::wstring> failing, running;
    std::vector<std::wstring> started;
    std::wstring caption;

    bool StartProgram(const std::wstring& path, std::wstring& why) override
    {
        if (failing.count(path)) {
            why = L"access is denied (5)";
            return false;
        }
        started.push_back(path);
        running.insert(path);
        return true;
    }
    int StopProgram(const std::wstring& path) override { return running.erase(path) ? 1 : 0; }
    bool IsNativeEffect(const std::wstring&) override { return false; }
    HWND FindEffectWindow() override { return nullptr; }
    std::wstring LanguageText(const wchar_t* id) override { return std::wstring(L"T") + id; }
    void ShowBar(bool) override {}
    bool IsBarVisible() override { return false; }
    void SetRotationCaption(const std::wstring& text) override { caption = text; }
    void SetStatusText(const std::wstring&) override {}
    void ShowTips(const std::wstring&) override {}
};

// The bar's window as the playback uses it: its timers and the work handed back to it.
LRESULT CALLBACK BarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == launcher::kRunOnBarMessage) {
        kit::RunPosted(wParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

EffectEntry Entry(const std::wstring& path)
{
    EffectEntry entry = {};
    wcsncpy(entry.path, path.c_str(), 259);
    entry.time = 5.0f;
    return entry;
}

struct Case {
    const char* what;
    bool rotating;                     // the rotation runs when the command comes
    std::vector<int> failing;          // entries whose program cannot start
    Request request;
    const wchar_t* answer;             // what Execute says
    std::vector<int> startedAfter;     // the entries started by the command, in order
    bool rotatingAfter;
    const char* logged;                // a line of the log, or null
};

class PlaybackTest : public testing::Test {
protected:
    PlaybackTest() : folder_(testing_support::FreshTempPath(L"pavora-playback-test"))
    {
        CreateDirectoryW(folder_.c_str(), nullptr);
        CreateDirectoryW((folder_ + L"\\Bin").c_str(), nullptr);
        // Nothing is watched: the stand-in starts no process.
        testing_support::WriteBytes(folder_ + L"\\Bin\\config.ini", "[config]\r\nauto=0\r\n[supervise]\r\non=0\r\n");
        for (const wchar_t* name : {L"a.exe", L"b.exe", L"c.exe"}) {
            paths_.push_back(folder_ + L"\\" + name);
            testing_support::WriteBytes(paths_.back(), "");
            list_.push_back(Entry(paths_.back()));
        }
        GetCurrentDirectoryW(MAX_PATH, previous_);
        SetCurrentDirectoryW(folder_.c_str());
        WNDCLASSW wc = {};
        wc.lpfnWndProc = BarProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"PavoraPlaybackTestBar";
        RegisterClassW(&wc);
        bar_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }
    ~PlaybackTest() override
    {
        DestroyWindow(bar_);
        SetCurrentDirectoryW(previous_);
        testing_support::RemoveTree(folder_);
    }
    std::string Log() const { return testing_support::ReadBytes(folder_ + L"\\log\\pavora.log"); }

    std::wstring folder_;
    wchar_t previous_[MAX_PATH] = L"";
    std::vector<std::wstring> paths_;
    EffectList list_;
    HWND bar_ = nullptr;
};

TEST_F(PlaybackTest, EachCommandDoesWhatItsStateAllows)
{
    const Case cases[] = {
        {"next while stopped", false, {}, {Command::Next}, L"the rotation is stopped", {}, false, nullptr},
        {"next", true, {}, {Command::Next}, L"", {1}, true, "b.exe (operator's command)"},
        {"previous wraps round to the last", true, {}, {Command::Previous}, L"", {2}, true, nullptr},
        {"an entry while stopped starts there", false, {}, {Command::PlayEntry, 2}, L"", {2}, true, nullptr},
        {"an entry that is not there", true, {}, {Command::PlayEntry, 7}, L"no entry 8 in the playlist", {}, true,
         nullptr},
        {"a program that cannot start is passed over", true, {1}, {Command::Next}, L"", {2}, true,
         "could not start"},
        {"none can start: standby", false, {0, 1, 2}, {Command::StartRotation}, L"", {}, true, "standby on"},
        {"standby stops the rotation", true, {}, {Command::StandbyOn}, L"", {}, false,
         "standby on: the operator's command"},
        {"projectors without any", true, {}, {Command::ProjectorsOn}, L"no projector is set", {}, true, nullptr},
        {"the rotation button while it runs", true, {}, {Command::ToggleRotation}, L"", {}, false,
         "rotation stopped by the operator"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileW((folder_ + L"\\log\\pavora.log").c_str());
        FakeBar host;
        Playback playback(bar_, host, host);
        ASSERT_EQ(playback.Open(&list_, L"", false), Playback::Opening::Nothing);
        if (c.rotating) playback.Execute({Command::StartRotation});
        ASSERT_EQ(playback.IsRotating(), c.rotating);
        for (int entry : c.failing) host.failing.insert(paths_[static_cast<size_t>(entry)]);
        size_t before = host.started.size();

        EXPECT_EQ(playback.Execute(c.request), c.answer);
        std::vector<std::wstring> expected;
        for (int entry : c.startedAfter) expected.push_back(paths_[static_cast<size_t>(entry)]);
        EXPECT_EQ(std::vector<std::wstring>(host.started.begin() + static_cast<long>(before), host.started.end()),
                  expected);
        EXPECT_EQ(playback.IsRotating(), c.rotatingAfter);
        EXPECT_EQ(host.caption, c.rotatingAfter ? L"T8" : (c.rotating ? L"T3" : L""));
        if (c.logged) {
            EXPECT_NE(Log().find(c.logged), std::string::npos) << Log();
        }
        playback.Close();
    }
}

}  // namespace

// In closed hours the schedule decides: commands that would play are refused with the reason,
// and the operator's stop suspends the schedule as the button always did.
TEST_F(PlaybackTest, InClosedHoursOnlyTheScheduleOrTheOperatorsStopChangesAnything)
{
    CreateDirectoryW((folder_ + L"\\data").c_str(), nullptr);
    testing_support::WriteBytes(folder_ + L"\\data\\Schedule.xml",
                                "<Schedule><Window days=\"1234567\" from=\"00:00\" to=\"24:00\" off=\"1\"/></Schedule>");
    FakeBar host;
    Playback playback(bar_, host, host);
    ASSERT_EQ(playback.Open(&list_, L"", false), Playback::Opening::Rotation);
    ASSERT_NE(Log().find("closed hours: nothing plays"), std::string::npos) << Log();
    for (Command command : {Command::StartRotation, Command::Next, Command::Previous, Command::PlayEntry,
                            Command::StandbyOff})
        EXPECT_EQ(playback.Execute({command}), L"closed hours: nothing plays until the schedule's next boundary");
    EXPECT_TRUE(host.started.empty());
    EXPECT_FALSE(playback.IsRotating());
    playback.Close();
}

// Whatever way an effect fails, the rotation moves on to the next entry at once; a lone
// effect comes back after a fault but stays closed after a clean exit.
TEST_F(PlaybackTest, AfterEachKindOfFaultTheRotationMovesOnAndALoneEffectComesBackUnlessItClosed)
{
    using supervision::WatchReport;
    const struct {
        const char* what;
        WatchReport::Kind kind;
        DWORD code;
        const char* logged;
        bool loneComesBack;
    } faults[] = {
        {"exit with a code", WatchReport::Exited, 3, "code 3", true},
        {"clean exit at once", WatchReport::Exited, 0, "code 0", false},
        {"crash", WatchReport::Crashed, 0xC0000005, "exception 0xC0000005", true},
        {"crash dialog", WatchReport::CrashDialog, 0, "crash dialog", true},
        {"hang", WatchReport::Hung, 0, "no answer for", true},
        {"never started", WatchReport::NotStarted, 0, "no process", true},
        {"black picture", WatchReport::Black, 0, "black ", true},
        {"frozen picture", WatchReport::Frozen, 0, "frozen ", true},
        {"heartbeat silence", WatchReport::Silent, 0, "no heartbeat from ", true},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.what);
        WatchReport report;
        report.kind = fault.kind;
        report.code = fault.code;
        report.dialog = L"winedbg.exe";
        for (bool lone : {false, true}) {
            DeleteFileW((folder_ + L"\\log\\pavora.log").c_str());
            EffectList list = lone ? EffectList{list_[0]} : list_;
            FakeBar host;
            Playback playback(bar_, host, host);
            playback.Open(&list, L"", false);
            if (!lone) playback.Execute({Command::StartRotation});
            ASSERT_EQ(host.started.size(), 1u);
            playback.EffectFaulted(report);
            EXPECT_NE(Log().find(fault.logged), std::string::npos) << Log();
            if (!lone) {
                ASSERT_EQ(host.started.size(), 2u) << Log();
                EXPECT_EQ(host.started[1], paths_[1]);
                EXPECT_NE(Log().find("(early step after an exit)"), std::string::npos) << Log();
            } else {
                EXPECT_EQ(host.started.size(), fault.loneComesBack ? 2u : 1u) << Log();
            }
            playback.Close();
        }
    }
}
