#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/LauncherHarness.h"

using namespace e2e;

namespace {

// Three effect programs (copies of the stand-in program under names of their own) in a
// playlist; the rotation is driven by clicking its button and posting timer 2.
class LauncherRotation : public testing::Test {
protected:
    void TearDown() override
    {
        launcher_.reset();
        install_.reset();
        for (const std::wstring& image : images_) KillProcesses(image);
    }

    void Stage(const wchar_t* name, const std::vector<std::string>& times)
    {
        install_.reset(new StagedInstall(name));
        install_->WriteConfig("[config]\r\nauto=0\r\nDEVICETYPE=0\r\ncheck360 =0\r\n");
        title_ = UseBarLanguage(*install_);
        std::vector<PlaylistEntry> entries;
        const wchar_t* names[] = {L"effects\\one\\fxRotA.exe", L"effects\\two\\fxRotB.exe", L"effects\\three\\fxRotC.exe"};
        for (size_t i = 0; i < times.size() && i < 3; ++i) {
            paths_.push_back(AddEffectProgram(*install_, names[i]));
            images_.push_back(ImageOf(paths_.back()));
            KillProcesses(images_.back());
            entries.push_back({paths_.back(), times[i]});
        }
        WritePlaylist(*install_, entries);
    }

    void Start()
    {
        launcher_.reset(new RunningLauncher(*install_, title_));
        ASSERT_NE(launcher_->Bar(), nullptr) << "the bar did not appear";
    }

    // Waits until exactly the effect `index` runs (-1: none) of the staged ones.
    ::testing::AssertionResult OnlyRunning(int index, DWORD timeoutMs = 10000)
    {
        DWORD start = GetTickCount();
        for (;;) {
            std::wstring state;
            bool match = true;
            for (size_t i = 0; i < images_.size(); ++i) {
                int count = CountProcesses(images_[i]);
                int wanted = static_cast<int>(i) == index ? 1 : 0;
                if (count != wanted) match = false;
                state += images_[i] + L"=" + std::to_wstring(count) + L" ";
            }
            if (match) return ::testing::AssertionSuccess();
            if (GetTickCount() - start > timeoutMs) {
                std::string narrow(state.begin(), state.end());
                return ::testing::AssertionFailure() << "running: " << narrow;
            }
            Pump(25);
        }
    }

    std::unique_ptr<StagedInstall> install_;
    std::unique_ptr<RunningLauncher> launcher_;
    std::wstring title_;
    std::vector<std::wstring> paths_, images_;
};

}  // namespace

TEST_F(LauncherRotation, ThreeEntriesPlayInTurnEachEndingTheOneBefore)
{
    Stage(L"LauncherRotationThree", {"8.5", "1.5", "2.0"});
    ASSERT_NO_FATAL_FAILURE(Start());

    launcher_->Command(kRotationButton);
    EXPECT_TRUE(OnlyRunning(0));
    EXPECT_TRUE(launcher_->WaitVisible(false));
    EXPECT_EQ(launcher_->Text(kRotationButton), BarText(8, 1));
    EXPECT_EQ(launcher_->Text(kStatusText), BarText(29, 1));

    for (int next : {1, 2, 0}) {
        launcher_->Timer(2);
        EXPECT_TRUE(OnlyRunning(next)) << "step to entry " << next;
    }
}

TEST_F(LauncherRotation, StopEndsThePlayingEntryAndShowsTheBarAndAStartGoesOnAfterIt)
{
    Stage(L"LauncherRotationStop", {"8.5", "1.5", "2.0"});
    ASSERT_NO_FATAL_FAILURE(Start());
    launcher_->Command(kRotationButton);
    ASSERT_TRUE(OnlyRunning(0));
    launcher_->Timer(2);
    ASSERT_TRUE(OnlyRunning(1));

    launcher_->Command(kRotationButton);
    EXPECT_TRUE(OnlyRunning(-1));
    EXPECT_TRUE(launcher_->WaitVisible(true));
    EXPECT_EQ(launcher_->Text(kRotationButton), BarText(3, 1));
    EXPECT_EQ(launcher_->Text(kStatusText), BarText(28, 1));

    launcher_->Command(kRotationButton);
    EXPECT_TRUE(OnlyRunning(2));
}

TEST_F(LauncherRotation, AltF4HotKeyStartsAndStopsTheRotation)
{
    Stage(L"LauncherRotationAltF4", {"8.5", "1.5"});
    ASSERT_NO_FATAL_FAILURE(Start());
    launcher_->HotKey(L"Alt+VK_F4", MOD_ALT, VK_F4);
    EXPECT_TRUE(OnlyRunning(0));
    launcher_->HotKey(L"Alt+VK_F4", MOD_ALT, VK_F4);
    EXPECT_TRUE(OnlyRunning(-1));
    EXPECT_TRUE(launcher_->WaitVisible(true));
}

TEST_F(LauncherRotation, EmptyPlaylistSaysSoAndChangesNoCaption)
{
    Stage(L"LauncherRotationEmpty", {});
    ASSERT_NO_FATAL_FAILURE(Start());
    launcher_->Command(kRotationButton);
    ASSERT_TRUE(install_->WaitForMessageBoxes(1, 10000));
    ASSERT_TRUE(launcher_->Sync());

    std::vector<MessageBoxRecord> boxes = install_->MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].ownerTitle, title_);
    EXPECT_EQ(boxes[0].caption, L"Tips");
    EXPECT_EQ(boxes[0].text, BarText(27, 1));
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(launcher_->Text(kRotationButton), BarText(3, 1));
    EXPECT_EQ(launcher_->Text(kStatusText), BarText(28, 1));
    EXPECT_TRUE(launcher_->Visible());
}

// Never minutes of nothing: an entry whose program went is passed over at once, and plays
// again once it is back.
TEST_F(LauncherRotation, EntryWhoseProgramIsGoneIsSkippedAtOnceAndPlaysWhenBack)
{
    Stage(L"LauncherRotationFailedStart", {"8.5", "1.5", "2.0"});
    ASSERT_NO_FATAL_FAILURE(Start());
    std::string program = ReadBytes(paths_[1]);
    ASSERT_TRUE(DeleteFileW(paths_[1].c_str()));

    launcher_->Command(kRotationButton);
    ASSERT_TRUE(OnlyRunning(0));
    launcher_->Timer(2);
    EXPECT_TRUE(OnlyRunning(2)) << "entry 1 was skipped";
    ASSERT_TRUE(WriteBytes(paths_[1], program));
    ASSERT_TRUE(launcher_->Sync());
    launcher_->Timer(2);
    ASSERT_TRUE(OnlyRunning(0));
    launcher_->Timer(2);
    EXPECT_TRUE(OnlyRunning(1)) << "entry 1 plays again";
}

// The period comes from each entry's own minutes, but never below 0.15 minutes (a time
// of 0 once ended and restarted programs every 10 ms): entry 0 moves on by itself after
// 9 seconds, and the 30-minute entry after it does not.
TEST_F(LauncherRotation, EachEntryPlaysForItsOwnTimeButNoShorterThanTheShortest)
{
    Stage(L"LauncherRotationPeriod", {"0", "30", "1.5"});
    ASSERT_NO_FATAL_FAILURE(Start());
    launcher_->Command(kRotationButton);
    ASSERT_TRUE(OnlyRunning(0));
    Pump(3000);
    EXPECT_TRUE(OnlyRunning(0, 0)) << "entry 0 still plays";
    EXPECT_TRUE(OnlyRunning(1, 15000));
    Pump(1000);
    EXPECT_TRUE(OnlyRunning(1, 0));
}

TEST_F(LauncherRotation, CommandFileEntriesEndTheEffectShellBeforeTheNextStarts)
{
    install_.reset(new StagedInstall(L"LauncherRotationCommandFiles"));
    install_->WriteConfig("[config]\r\nauto=0\r\nDEVICETYPE=0\r\ncheck360 =0\r\n");
    title_ = UseBarLanguage(*install_);
    images_.push_back(L"Nimbrel.exe");
    KillProcesses(L"Nimbrel.exe");
    std::vector<PlaylistEntry> entries;
    for (const wchar_t* folder : {L"effects\\first", L"effects\\second"}) {
        AddEffectProgram(*install_, std::wstring(folder) + L"\\Nimbrel.exe");
        std::wstring script = install_->Path(std::wstring(folder) + L"\\show.CMD");
        WriteBytes(script, "@start \"\" Nimbrel.exe\r\n");
        entries.push_back({script, "1.5"});
    }
    WritePlaylist(*install_, entries);
    ASSERT_NO_FATAL_FAILURE(Start());

    launcher_->Command(kRotationButton);
    ASSERT_TRUE(WaitForProcessCount(L"Nimbrel.exe", 1, 15000));
    std::vector<DWORD> first = ProcessIds(L"Nimbrel.exe");
    launcher_->Timer(2);
    DWORD start = GetTickCount();
    std::vector<DWORD> now;
    do {
        Pump(50);
        now = ProcessIds(L"Nimbrel.exe");
    } while ((now.size() != 1 || now == first) && GetTickCount() - start < 15000);
    ASSERT_EQ(now.size(), 1u);
    EXPECT_NE(now, first) << "the first command file's shell was ended and the second one's started";
}
