#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "launcher/supervision/EventLog.h"
#include "launcher/supervision/FailureHistory.h"
#include "tests/support/TestFiles.h"

using supervision::EventLog;
using supervision::FailureHistory;

namespace {

constexpr ULONGLONG kMinute = 60000;

TEST(FailureHistoryTest, SetsAsideAtTheLimitAndReleasesAfterItsTime)
{
    FailureHistory history(3, 5 * kMinute, 60 * kMinute);
    const std::wstring a = L"C:\\fx\\a.exe";
    EXPECT_FALSE(history.RecordFailure(a, 0));
    EXPECT_FALSE(history.RecordFailure(a, 1 * kMinute));
    // The first failure fell out of the window: still two within it.
    EXPECT_FALSE(history.RecordFailure(a, 5 * kMinute + 1));
    EXPECT_FALSE(history.Quarantined(a, 5 * kMinute + 2));
    EXPECT_TRUE(history.RecordFailure(a, 5 * kMinute + 2));
    EXPECT_TRUE(history.Quarantined(a, 60 * kMinute));
    EXPECT_FALSE(history.Quarantined(L"C:\\fx\\b.exe", 60 * kMinute));
    EXPECT_TRUE(history.Release(60 * kMinute).empty());
    ASSERT_EQ(history.Release(65 * kMinute + 2).size(), 1u);
    EXPECT_FALSE(history.Quarantined(a, 65 * kMinute + 2));
    EXPECT_FALSE(history.RecordFailure(a, 66 * kMinute)) << "released entries start afresh";
}

TEST(FailureHistoryTest, PausesOfALoopDoubleUpToFiveMinutesAndStartSmallAfterAQuietWindow)
{
    FailureHistory history(2, 5 * kMinute, 60 * kMinute);
    const std::wstring a = L"C:\\fx\\a.exe";
    const ULONGLONG expected[] = {0, 2000, 4000, 8000, 16000, 32000, 64000, 128000, 256000, 300000, 300000};
    ULONGLONG now = 0;
    for (ULONGLONG pause : expected) {
        history.RecordFailure(a, now);
        EXPECT_EQ(history.PauseBeforeRetry(a), pause) << "at " << now;
        now += pause + 100;
    }
    now += 5 * kMinute;
    history.RecordFailure(a, now);
    EXPECT_EQ(history.PauseBeforeRetry(a), 0u);
}

// One megabyte a file, five files: the newest lines in pavora.log, the oldest file dropped.
TEST(EventLogTest, FilesMoveUpAtTheLimitAndOnlyFiveAreKept)
{
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"pavora-event-log-test";
    testing_support::RemoveTree(folder);
    EventLog log(folder);
    const std::wstring filler(1000, L'x');
    // About 5.3 files' worth, each line numbered.
    const int lines = 5500;
    for (int i = 0; i < lines; ++i) log.Write(std::to_wstring(i) + L" " + filler + L"\nsecond line");
    for (int number = 0; number < EventLog::kFiles; ++number) {
        std::string text = testing_support::ReadBytes(log.FilePath(number));
        ASSERT_FALSE(text.empty()) << number;
        EXPECT_LE(text.size(), EventLog::kLimit);
        EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1) << "one line per event";
    }
    EXPECT_FALSE(testing_support::FileExists(log.FilePath(EventLog::kFiles)));
    std::string newest = testing_support::ReadBytes(log.FilePath(0));
    EXPECT_NE(newest.find(" " + std::to_string(lines - 1) + " x"), std::string::npos);
    std::string oldest = testing_support::ReadBytes(log.FilePath(EventLog::kFiles - 1));
    EXPECT_EQ(oldest.find(" 0 x"), std::string::npos) << "the first file's lines are gone";
    testing_support::RemoveTree(folder);
}

}  // namespace
