#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/Handles.h"
#include "launcher/supervision/EventLog.h"
#include "launcher/supervision/SuperviseSettings.h"
#include "launcher/supervision/FailureHistory.h"
#include "tests/support/TestFiles.h"

using supervision::EventLog;
using supervision::FailureHistory;

namespace {

constexpr ULONGLONG kMinute = 60000;

using testing_support::FreshTempPath;

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
    std::wstring folder = FreshTempPath(L"pavora-event-log-test");
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

// A viewer that holds pavora.log open without delete sharing: the older files stay as they
// are, the current one grows up to the hard limit, the newest lines beyond it are kept, and
// the files move up once it is let go.
TEST(EventLogTest, AFileHeldOpenKeepsTheHistoryAndMovesUpOnceLetGo)
{
    std::wstring folder = FreshTempPath(L"pavora-event-log-held");
    EventLog log(folder);
    const std::wstring filler(1000, L'y');
    for (int i = 0; i < 2200; ++i) log.Write(filler);  // pavora.log, .1.log and .2.log
    std::string second = testing_support::ReadBytes(log.FilePath(2));
    ASSERT_FALSE(second.empty());
    {
        kit::UniqueHandle viewer(CreateFileW(log.FilePath(0).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                             nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(viewer);
        for (int i = 0; i < 12000; ++i) log.Write(filler);
        EXPECT_EQ(testing_support::ReadBytes(log.FilePath(2)), second) << "history kept while held";
        ULONGLONG size = testing_support::ReadBytes(log.FilePath(0)).size();
        EXPECT_GT(size, EventLog::kLimit);
        EXPECT_LE(size, EventLog::kHardLimit);
    }
    log.Write(L"after the viewer closed");
    EXPECT_EQ(testing_support::ReadBytes(log.FilePath(3)), second);
    // The newest lines beyond the hard limit were kept and come first, with a word on the rest.
    std::string current = testing_support::ReadBytes(log.FilePath(0));
    EXPECT_NE(current.find("; 1000 lines were kept, "), std::string::npos);
    EXPECT_EQ(current.rfind("after the viewer closed\r\n"), current.size() - 25);
    testing_support::RemoveTree(folder);
}

// Out of range values are held at the nearest end and each is said once; missing keys are silent.
TEST(SuperviseSettingsTest, ValuesOutOfRangeAreHeldAndNamed)
{
    std::wstring file = FreshTempPath(L"pavora-supervise.ini");
    testing_support::WriteBytes(file, "[supervise]\r\nhangseconds=0\r\nretries=many\r\nquarantineminutes=-5\r\n"
                                      "graceseconds= 12 \r\n");
    supervision::SuperviseSettings settings = supervision::SuperviseSettings::Read(file.c_str());
    EXPECT_EQ(settings.hangSeconds, 1u);
    EXPECT_EQ(settings.retries, 3u);
    EXPECT_EQ(settings.quarantineMinutes, 0u);
    EXPECT_EQ(settings.graceSeconds, 12u);
    ASSERT_EQ(settings.notes.size(), 3u);
    EXPECT_EQ(settings.notes[0], L"[supervise] hangseconds=0 is outside 1 to 86400; 1 is used");
    EXPECT_EQ(settings.notes[1], L"[supervise] retries=many is no whole number; 3 is used");
    EXPECT_EQ(settings.notes[2], L"[supervise] quarantineminutes=-5 is outside 0 to 10080; 0 is used");
    DeleteFileW(file.c_str());
}

}  // namespace
