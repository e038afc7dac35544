#include <gtest/gtest.h>

#include <cwchar>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "launcher/playback/EffectRotation.h"

using launcher::EffectRotation;
using supervision::StartReason;
using supervision::StopReason;

namespace {

// The bar and the library as the rotation sees them: programs run in a set, timers are
// remembered with their periods, and the language text of a number is "T" + number.
class FakeHost : public launcher::RotationHost {
public:
    std::set<std::wstring> running;
    std::set<std::wstring> failing;  // programs whose start fails
    std::vector<std::wstring> started, stopped;
    std::map<UINT_PTR, UINT> timers;
    std::vector<std::wstring> tips;
    bool visible = true;
    std::wstring caption = L"T3", status = L"T28";
    HWND effectWindow = nullptr, broughtToFront = nullptr;

    bool StartEffect(const std::wstring& path, StartReason, bool) override
    {
        if (failing.count(path)) return false;
        started.push_back(path);
        running.insert(path);
        return true;
    }
    int StopEffect(const std::wstring& path, StopReason) override
    {
        stopped.push_back(path);
        return running.erase(path) ? 1 : 0;
    }
    bool IsNativeEffect(const std::wstring& path) override { return path.find(L"effect.exe") != std::wstring::npos; }
    HWND FindEffectWindow() override { return effectWindow; }
    void BringToFront(HWND window) override { broughtToFront = window; }
    std::wstring LanguageText(const wchar_t* id) override { return std::wstring(L"T") + id; }
    void ShowBar(bool show) override { visible = show; }
    bool IsBarVisible() override { return visible; }
    void SetRotationCaption(const std::wstring& text) override { caption = text; }
    void SetStatusText(const std::wstring& text) override { status = text; }
    void StartTimer(UINT_PTR id, UINT period) override { timers[id] = period; }
    void StopTimer(UINT_PTR id) override { timers.erase(id); }
    void ShowTips(const std::wstring& text) override { tips.push_back(text); }
    void NothingToPlay() override { ++nothingToPlay; }
    int nothingToPlay = 0;

    bool TimerRuns(UINT_PTR id) const { return timers.count(id) != 0; }
};

EffectEntry Entry(const wchar_t* path, float minutes)
{
    EffectEntry entry = {};
    wcsncpy(entry.path, path, 259);
    entry.time = minutes;
    return entry;
}

class EffectRotationTest : public testing::Test {
protected:
    EffectRotationTest() : rotation(host)
    {
        playlist = {Entry(L"C:\\fx\\a.exe", 8.5f), Entry(L"C:\\fx\\b.exe", 1.5f), Entry(L"C:\\fx\\c.cmd", 2.0f)};
        // Held as the library's list is: its owner keeps it and changes it in place.
        rotation.SetPlaylist(std::shared_ptr<const EffectList>(&playlist, [](const EffectList*) {}));
    }
    // The rotation button.
    void Toggle()
    {
        if (rotation.Running()) rotation.Stop(true, StopReason::UserStop);
        else rotation.Start(StartReason::RotationStart);
    }
    void Step() { rotation.Step(StartReason::RotationStep); }
    std::set<std::wstring> Running(std::initializer_list<const wchar_t*> paths)
    {
        std::set<std::wstring> result;
        for (const wchar_t* path : paths) result.insert(path);
        return result;
    }

    FakeHost host;
    EffectList playlist;
    EffectRotation rotation;
};

// A program that cannot start must not leave the desktop until the next boundary.
TEST_F(EffectRotationTest, AStartThatFailsMovesOnAtOnceAndNoneThatCanStartIsNothingToPlay)
{
    host.failing.insert(L"C:\\fx\\a.exe");
    Toggle();
    EXPECT_EQ(rotation.Index(), 1);
    EXPECT_EQ(host.running, Running({L"C:\\fx\\b.exe"}));
    EXPECT_EQ(host.timers[launcher::kRotationTimer], 90000u);
    EXPECT_EQ(host.caption, L"T8");

    host.failing.insert(L"C:\\fx\\b.exe");
    host.failing.insert(L"C:\\fx\\c.cmd");
    Step();
    EXPECT_TRUE(host.running.empty());
    EXPECT_EQ(host.nothingToPlay, 1);
}

// A schedule's list may be replaced while the operator has stopped the rotation; the list
// the rotation plays stays with it, and the lone effect's watchdog goes when it starts.
TEST_F(EffectRotationTest, TheRotationKeepsItsListAndDisarmsTheWatchdogWhenItStarts)
{
    auto scheduled = std::make_shared<EffectList>(EffectList{Entry(L"C:\\fx\\s.exe", 2.0f)});
    rotation.SetPlaylist(scheduled);
    std::weak_ptr<EffectList> watched = scheduled;
    scheduled.reset();
    ASSERT_FALSE(watched.expired());

    rotation.OnEffectStarted(L"C:\\fx\\lone\\effect.exe");
    ASSERT_TRUE(host.TimerRuns(launcher::kWatchdogTimer));
    Toggle();
    EXPECT_EQ(host.running, Running({L"C:\\fx\\s.exe"}));
    EXPECT_FALSE(host.TimerRuns(launcher::kWatchdogTimer));
    EXPECT_TRUE(rotation.WatchedPath().empty());
}

// The effect page replaces the playlist in place while the rotation runs.
TEST_F(EffectRotationTest, PlaylistThatShrankUnderTheRotationEndsTheOldProgramAndWraps)
{
    Toggle();
    Step();
    Step();
    ASSERT_EQ(host.running, Running({L"C:\\fx\\c.cmd"}));

    playlist = {Entry(L"C:\\fx\\d.exe", 3.0f)};
    Step();
    EXPECT_EQ(host.running, Running({L"C:\\fx\\d.exe"}));
    EXPECT_EQ(rotation.Index(), 0);
    EXPECT_EQ(host.timers[launcher::kRotationTimer], 180000u);
}

TEST_F(EffectRotationTest, PlaylistThatEmptiedUnderTheRotationStepsAndStopsSafely)
{
    Toggle();
    Step();
    playlist.clear();

    Step();
    EXPECT_TRUE(host.running.empty());
    Step();  // nothing left to stop or start

    Toggle();
    EXPECT_EQ(rotation.Index(), -1);
    EXPECT_EQ(host.caption, L"T3");
    EXPECT_FALSE(host.TimerRuns(launcher::kRotationTimer));
}

TEST_F(EffectRotationTest, StopAfterTheListShrankEndsTheOldProgramAndRestartsAtTheFront)
{
    Toggle();
    Step();
    Step();
    playlist.resize(2);

    Toggle();
    EXPECT_TRUE(host.running.empty());
    EXPECT_EQ(rotation.Index(), 0);
    Toggle();
    EXPECT_EQ(host.running, Running({L"C:\\fx\\b.exe"}));
}

// Only the effect page sends a path other than the launcher's own lone effect.
TEST_F(EffectRotationTest, EffectThatIsNotNativeDisarmsTheWatchdog)
{
    rotation.OnEffectStarted(L"C:\\fx\\demo\\effect.exe");
    ASSERT_TRUE(host.TimerRuns(launcher::kWatchdogTimer));
    EXPECT_FALSE(host.visible);

    rotation.OnEffectStarted(L"C:\\fx\\flash\\Effect.EXE");  // letter case counts
    EXPECT_FALSE(host.TimerRuns(launcher::kWatchdogTimer));
    EXPECT_TRUE(rotation.WatchedPath().empty());
}

TEST_F(EffectRotationTest, BringToFrontIsOneShotAndNeedsTheEffectWindow)
{
    host.timers[launcher::kFrontTimer] = launcher::kFrontDelay;
    rotation.BringEffectToFront();
    EXPECT_FALSE(host.TimerRuns(launcher::kFrontTimer));
    EXPECT_EQ(host.broughtToFront, nullptr);

    host.effectWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));
    rotation.BringEffectToFront();
    EXPECT_EQ(host.broughtToFront, host.effectWindow);
}

TEST_F(EffectRotationTest, RowDeletedBeforeThePlayingOneDoesNotLeaveItRunning)
{
    playlist.push_back(Entry(L"C:\\fx\\d.exe", 4.0f));
    Toggle();
    Step();
    ASSERT_EQ(host.running, Running({L"C:\\fx\\b.exe"}));

    playlist.erase(playlist.begin());  // b now sits where a was; c where b was
    Step();
    EXPECT_EQ(host.running, Running({L"C:\\fx\\d.exe"}));

    playlist.insert(playlist.begin(), Entry(L"C:\\fx\\x.exe", 1.0f));  // c now sits where d was
    Toggle();
    EXPECT_TRUE(host.running.empty());
}

TEST_F(EffectRotationTest, StepAfterAFailedStartStopsNothingElse)
{
    host.failing.insert(L"C:\\fx\\b.exe");
    Toggle();
    Step();  // a ends, b cannot start, c plays at once
    EXPECT_EQ(host.running, Running({L"C:\\fx\\c.cmd"}));
    EXPECT_EQ(host.stopped, std::vector<std::wstring>{L"C:\\fx\\a.exe"});
}

// A lone entry without a usable time would otherwise restart its program every 10 ms.
TEST_F(EffectRotationTest, EntriesWithoutAUsableTimePlayForTheShortestTime)
{
    for (float minutes : {0.0f, -3.0f, std::numeric_limits<float>::quiet_NaN(), 0.1f}) {
        playlist = {Entry(L"C:\\fx\\lone.exe", minutes)};
        Toggle();
        EXPECT_EQ(host.timers[launcher::kRotationTimer], launcher::kShortestPeriod) << minutes;
        Toggle();
    }
}

TEST(EffectRotationPeriod, IsMinutesTimesSixtyThousandWithTheFractionCutAndAFloor)
{
    EXPECT_EQ(EffectRotation::PeriodOf(8.5f), 510000u);
    EXPECT_EQ(EffectRotation::PeriodOf(20.0f), 1200000u);
    EXPECT_EQ(EffectRotation::PeriodOf(0.20001f), 12000u);  // 12000.6 is cut, not rounded
    EXPECT_EQ(EffectRotation::PeriodOf(0.15f), 9000u);       // 8999.99 as a float, held at the floor
    EXPECT_EQ(EffectRotation::PeriodOf(0.0f), 9000u);
    EXPECT_EQ(EffectRotation::PeriodOf(0.05f), 9000u);
}

TEST(EffectRotationPeriod, TimesNoTimerTakesAreHeldToItsRange)
{
    EXPECT_EQ(EffectRotation::PeriodOf(-1.0f), 9000u);
    EXPECT_EQ(EffectRotation::PeriodOf(-std::numeric_limits<float>::infinity()), 9000u);
    EXPECT_EQ(EffectRotation::PeriodOf(std::numeric_limits<float>::quiet_NaN()), 9000u);
    EXPECT_EQ(EffectRotation::PeriodOf(1e9f), static_cast<UINT>(USER_TIMER_MAXIMUM));
    EXPECT_EQ(EffectRotation::PeriodOf(std::numeric_limits<float>::infinity()), static_cast<UINT>(USER_TIMER_MAXIMUM));
}

}  // namespace
