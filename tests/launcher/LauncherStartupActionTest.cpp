#include <gtest/gtest.h>

#include "tests/support/LauncherHarness.h"

using namespace e2e;

namespace {

// What the launcher does at start-up with its playlist, and the watchdog of a native
// effect that it started alone.
class LauncherStartup : public testing::Test {
protected:
    void TearDown() override
    {
        launcher_.reset();
        install_.reset();
        for (const std::wstring& image : images_) KillProcesses(image);
    }

    // An installation whose playlist holds these programs (paths relative to it).
    void Stage(const wchar_t* name, const std::string& config, const std::vector<std::wstring>& programs)
    {
        install_.reset(new StagedInstall(name));
        install_->WriteConfig(config);
        title_ = UseBarLanguage(*install_);
        std::vector<PlaylistEntry> entries;
        for (const std::wstring& program : programs) {
            paths_.push_back(AddEffectProgram(*install_, program));
            images_.push_back(ImageOf(paths_.back()));
            KillProcesses(images_.back());
            entries.push_back({paths_.back(), "8.5"});
        }
        WritePlaylist(*install_, entries);
    }

    void Start()
    {
        launcher_.reset(new RunningLauncher(*install_, title_));
        ASSERT_NE(launcher_->Bar(), nullptr) << "the bar did not appear";
    }

    // After start-up has settled (timer 1 would hide the bar within 100 ms).
    void Settle()
    {
        ASSERT_TRUE(launcher_->Sync());
        Pump(500);
    }

    DWORD OnlyProcessOf(const std::wstring& image)
    {
        std::vector<DWORD> ids = ProcessIds(image);
        return ids.size() == 1 ? ids[0] : 0;
    }

    // Waits until one process of `image` runs that is not `previous`; returns its id or 0.
    DWORD WaitForNewProcess(const std::wstring& image, DWORD previous, DWORD timeoutMs = 10000)
    {
        DWORD start = GetTickCount();
        for (;;) {
            DWORD id = OnlyProcessOf(image);
            if (id && id != previous) return id;
            if (GetTickCount() - start > timeoutMs) return 0;
            Pump(25);
        }
    }

    std::unique_ptr<StagedInstall> install_;
    std::unique_ptr<RunningLauncher> launcher_;
    std::wstring title_;
    std::vector<std::wstring> paths_, images_;
};

const char kPenNoAuto[] = "[config]\r\nauto=0\r\nDEVICETYPE=1\r\ncheck360 =0\r\n";
const char kLightAuto[] = "[config]\r\nauto=1\r\nDEVICETYPE=0\r\ncheck360 =0\r\n";
const char kLaserAuto[] = "[config]\r\nauto=1\r\nDEVICETYPE=2\r\ncheck360 =0\r\n";
const char kLightNoAuto[] = "[config]\r\nauto=0\r\nDEVICETYPE=0\r\ncheck360 =0\r\n";

}  // namespace

TEST_F(LauncherStartup, LoneEntryPlaysWhateverAutoAndPenModeAndTheBarHides)
{
    Stage(L"LauncherStartupLone", kPenNoAuto, {L"effects\\lone\\fxLone.exe"});
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_TRUE(WaitForProcessCount(images_[0], 1, 10000));
    EXPECT_TRUE(launcher_->WaitVisible(false));
    EXPECT_EQ(launcher_->Text(kRotationButton), BarText(3, 1)) << "a lone effect is not a rotation";
}

TEST_F(LauncherStartup, SeveralEntriesWithAutoStartTheRotationWithoutPenMode)
{
    Stage(L"LauncherStartupAuto", kLightAuto, {L"effects\\a\\fxAutoA.exe", L"effects\\b\\fxAutoB.exe"});
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_TRUE(WaitForProcessCount(images_[0], 1, 10000));
    EXPECT_EQ(CountProcesses(images_[1]), 0);
    EXPECT_TRUE(launcher_->WaitVisible(false));
    EXPECT_EQ(launcher_->Text(kRotationButton), BarText(8, 1));
    EXPECT_EQ(launcher_->Text(kStatusText), BarText(29, 1));
}

TEST_F(LauncherStartup, SeveralEntriesStartNothingInPenModeOrWithoutAuto)
{
    for (const char* config : {kLaserAuto, kLightNoAuto}) {
        SCOPED_TRACE(config);
        Stage(config == kLaserAuto ? L"LauncherStartupPenAuto" : L"LauncherStartupNoAuto", config,
              {L"effects\\a\\fxIdleA.exe", L"effects\\b\\fxIdleB.exe"});
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_NO_FATAL_FAILURE(Settle());
        EXPECT_EQ(CountProcesses(images_[0]), 0);
        EXPECT_TRUE(launcher_->Visible());
        EXPECT_EQ(launcher_->Text(kRotationButton), BarText(3, 1));
        launcher_.reset();
        install_.reset();
        paths_.clear();
        images_.clear();
    }
}

TEST_F(LauncherStartup, EmptyPlaylistWithAutoStartsNothingAndKeepsTheBar)
{
    Stage(L"LauncherStartupEmpty", kLightAuto, {});
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Settle());
    EXPECT_TRUE(launcher_->Visible());
    EXPECT_EQ(launcher_->Text(kRotationButton), BarText(3, 1));
    EXPECT_TRUE(install_->MessageBoxes().empty());
}

TEST_F(LauncherStartup, WatchdogRestartsANativeEffectUntilItHasEnded)
{
    Stage(L"LauncherStartupWatchdog", kLightNoAuto, {L"effects\\demo\\effect.exe"});
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(WaitForProcessCount(L"effect.exe", 1, 10000));
    DWORD first = OnlyProcessOf(L"effect.exe");

    launcher_->Timer(3);
    DWORD second = WaitForNewProcess(L"effect.exe", first);
    EXPECT_NE(second, 0u) << "restarted";

    // Closed by the user: the watchdog lets go, and leaves a program started later alone.
    KillProcesses(L"effect.exe");
    launcher_->Timer(3);
    ASSERT_TRUE(launcher_->Sync());
    std::wstring commandLine = L"\"" + paths_[0] + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    launcher_->Timer(3);
    ASSERT_TRUE(launcher_->Sync());
    Pump(300);
    EXPECT_EQ(OnlyProcessOf(L"effect.exe"), process.dwProcessId);
}

TEST_F(LauncherStartup, WatchdogLeavesAnEffectThatIsNotNativeAlone)
{
    Stage(L"LauncherStartupNotNative", kLightNoAuto, {L"effects\\flash\\fxFlash.exe"});
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(WaitForProcessCount(images_[0], 1, 10000));
    DWORD first = OnlyProcessOf(images_[0]);
    launcher_->Timer(3);
    ASSERT_TRUE(launcher_->Sync());
    Pump(300);
    EXPECT_EQ(OnlyProcessOf(images_[0]), first);
}

TEST_F(LauncherStartup, ExitLeavesTheEffectRunning)
{
    Stage(L"LauncherStartupExit", kLightNoAuto, {L"effects\\demo\\effect.exe"});
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(WaitForProcessCount(L"effect.exe", 1, 10000));
    launcher_->Timer(4);  // bring to front: no effect window, nothing to do
    launcher_->HotKey(L"Alt+ESC", MOD_ALT, VK_ESCAPE);
    ASSERT_TRUE(WaitForExit(launcher_->Process(), 10000));
    EXPECT_EQ(CountProcesses(L"effect.exe"), 1);
}
