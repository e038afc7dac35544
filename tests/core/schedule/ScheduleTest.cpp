#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/schedule/Schedule.h"

using schedule::LocalTime;

namespace {

// The week of the README: mornings on weekdays, the main list from noon, closed at night,
// closed on Christmas, a special evening on New Year's Eve.
const char kWeek[] =
    "<Schedule>\n"
    "  <Window days=\"12345\" from=\"09:00\" to=\"12:00\" playlist=\"data\\playlists\\Morning.xml\" />\n"
    "  <Window days=\"1234567\" from=\"12:00\" to=\"22:00\" playlist=\"data\\EffectPath.xml\" />\n"
    "  <Window days=\"1234567\" from=\"22:00\" to=\"08:30\" off=\"1\" />\n"
    "  <Day date=\"2026-12-25\" off=\"1\" />\n"
    "  <Day date=\"2026-12-31\" from=\"18:00\" to=\"23:59\" playlist=\"data\\playlists\\Eve.xml\" />\n"
    "</Schedule>\n";

schedule::Schedule Read(const std::string& text)
{
    return schedule::Parse(text, [](const std::wstring& path) { return path.find(L"Gone") == std::wstring::npos; });
}

LocalTime At(int y, int m, int d, int h, int min)
{
    LocalTime t;
    t.year = y, t.month = m, t.day = d, t.minute = h * 60 + min;
    return t;
}

TEST(ScheduleTest, TheEntryInForceAtEachMomentOfAWeek)
{
    schedule::Schedule week = Read(kWeek);
    ASSERT_TRUE(week.problems.empty());
    ASSERT_EQ(week.entries.size(), 5u);
    const struct {
        const char* what;
        LocalTime at;
        int entry;
    } cases[] = {
        {"Monday night, before the end of Sunday's closed hours", At(2026, 12, 7, 8, 29), 2},
        {"the end is not part of it", At(2026, 12, 7, 8, 30), -1},
        {"the morning starts", At(2026, 12, 7, 9, 0), 0},
        {"the morning's last minute", At(2026, 12, 7, 11, 59), 0},
        {"noon", At(2026, 12, 7, 12, 0), 1},
        {"closed from 22:00", At(2026, 12, 7, 22, 0), 2},
        {"Saturday has no morning", At(2026, 12, 12, 10, 0), -1},
        {"a Day without times holds all of it", At(2026, 12, 25, 10, 0), 3},
        {"and replaces the Windows of its date", At(2026, 12, 25, 23, 0), 3},
        {"the day after: Friday night's window runs on", At(2026, 12, 26, 5, 0), 2},
        {"a date with a Day entry: outside it the main list", At(2026, 12, 31, 17, 0), -1},
        {"New Year's Eve", At(2026, 12, 31, 18, 0), 4},
        {"its last minute is its end", At(2026, 12, 31, 23, 59), -1},
        {"a leap day is an ordinary Monday", At(2028, 2, 28, 9, 30), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(schedule::EntryAt(week, c.at), c.entry) << c.what;
}

TEST(ScheduleTest, TheLaterOfTwoEntriesThatHoldWins)
{
    const char* a = "<Window days=\"1234567\" from=\"10:00\" to=\"14:00\" playlist=\"A.xml\" />";
    const char* b = "<Window days=\"1234567\" from=\"12:00\" to=\"13:00\" playlist=\"B.xml\" />";
    schedule::Schedule ab = Read(std::string("<Schedule>") + a + b + "</Schedule>");
    schedule::Schedule ba = Read(std::string("<Schedule>") + b + a + "</Schedule>");
    EXPECT_EQ(schedule::EntryAt(ab, At(2026, 12, 9, 12, 30)), 1);
    EXPECT_EQ(schedule::EntryAt(ab, At(2026, 12, 9, 13, 30)), 0);
    EXPECT_EQ(schedule::EntryAt(ba, At(2026, 12, 9, 12, 30)), 1) << "the longer one is later in this file";
}

TEST(ScheduleTest, TheNextChangeIsTheNextBoundaryAcrossDays)
{
    schedule::Schedule week = Read(kWeek);
    LocalTime next;
    int entry = 0;
    ASSERT_TRUE(schedule::NextChange(week, At(2026, 12, 7, 11, 0), next, entry));
    EXPECT_EQ(next.minute, 12 * 60);
    EXPECT_EQ(entry, 1);
    // Christmas Eve 22:00: closed, and Christmas is closed all day: next change on the 26th.
    ASSERT_TRUE(schedule::NextChange(week, At(2026, 12, 24, 23, 0), next, entry));
    EXPECT_EQ(entry, 3);
    ASSERT_TRUE(schedule::NextChange(week, next, next, entry));
    EXPECT_EQ(next.day, 26);
    EXPECT_EQ(next.minute, 0);
    EXPECT_EQ(entry, 2);
}

// A bad entry is reported with its line and skipped; the rest holds.
TEST(ScheduleTest, BadEntriesAreReportedWithTheirLineAndSkipped)
{
    const struct {
        const char* entry;
        const char* says;
    } cases[] = {
        {"<Window days=\"1238\" from=\"09:00\" to=\"10:00\" playlist=\"A.xml\" />", "weekdays 1 to 7"},
        {"<Window days=\"\" from=\"09:00\" to=\"10:00\" playlist=\"A.xml\" />", "names no weekday"},
        {"<Window days=\"1\" from=\"25:00\" to=\"26:00\" playlist=\"A.xml\" />", "\"from\" is no time"},
        {"<Window days=\"1\" from=\"9:00\" to=\"10:00\" playlist=\"A.xml\" />", "\"from\" is no time"},
        {"<Window days=\"1\" from=\"09:00\" to=\"09:60\" playlist=\"A.xml\" />", "\"to\" is no time"},
        {"<Window days=\"1\" from=\"09:00\" to=\"09:00\" playlist=\"A.xml\" />", "the same time"},
        {"<Window days=\"1\" to=\"09:00\" playlist=\"A.xml\" />", "\"from\" is no time"},
        {"<Day date=\"2026-02-29\" off=\"1\" />", "no date"},
        {"<Day date=\"26-12-25\" off=\"1\" />", "no date"},
        {"<Day date=\"2026-12-25\" from=\"10:00\" />", "\"to\" is no time"},
        {"<Window days=\"1\" from=\"09:00\" to=\"10:00\" />", "neither a playlist"},
        {"<Window days=\"1\" from=\"09:00\" to=\"10:00\" playlist=\"data\\Gone.xml\" />", "missing: data\\Gone.xml"},
        {"<Hours days=\"1\" />", "neither <Window> nor <Day>"},
    };
    for (const auto& c : cases) {
        schedule::Schedule read = Read(std::string("<Schedule>\n<Day date=\"2026-12-25\" off=\"1\" />\n") + c.entry +
                                       "\n<Window days=\"7\" from=\"10:00\" to=\"11:00\" playlist=\"B.xml\" />\n</Schedule>");
        ASSERT_EQ(read.problems.size(), 1u) << c.entry;
        std::string problem(read.problems[0].begin(), read.problems[0].end());
        EXPECT_EQ(problem.rfind("line 3: ", 0), 0u) << problem;
        EXPECT_NE(problem.find(c.says), std::string::npos) << problem;
        EXPECT_EQ(read.entries.size(), 2u) << "the rest holds: " << c.entry;
    }
    for (const char* file : {"", "<Schedule><Window></Schedule>", "<Plan />"}) {
        schedule::Schedule read = Read(file);
        EXPECT_TRUE(read.entries.empty());
        EXPECT_EQ(read.problems.size(), 1u) << file;
    }
    // Nested past the limit of every XML file, at its line 257: refused before the parser's
    // recursion overflows the stack.
    std::string deep = "<Schedule>\n";
    for (int i = 0; i < 20000; ++i) deep += "<a>\n";
    schedule::Schedule refused = Read(deep);
    ASSERT_EQ(refused.problems.size(), 1u);
    EXPECT_EQ(refused.problems[0].rfind(L"line 257: elements nest deeper than 256", 0), 0u);
    EXPECT_EQ(Read("<Schedule><Window days=\"1\" from=\"09:00\" to=\"10:00\" playlist=\"A\xC3\" off=\"1\" /></Schedule>")
                  .entries.size(), 1u) << "a byte that is no UTF-8 swallows no quote";
}

TEST(ScheduleTest, DatesAndWeekdaysAcrossMonthsYearsAndLeapDays)
{
    EXPECT_EQ(schedule::Weekday(2026, 12, 9), 3);
    EXPECT_EQ(schedule::Weekday(2026, 12, 13), 7);
    EXPECT_EQ(schedule::Weekday(2000, 2, 29), 2);
    LocalTime t = schedule::AddMinutes(At(2028, 2, 28, 23, 30), 60);
    EXPECT_EQ(t.month * 100 + t.day, 229);
    EXPECT_EQ(t.minute, 30);
    t = schedule::AddMinutes(At(2027, 1, 1, 0, 10), -20);
    EXPECT_EQ(t.year * 10000 + t.month * 100 + t.day, 20261231);
    EXPECT_EQ(t.minute, 23 * 60 + 50);
}

}  // namespace

namespace {

// Daylight saving as the local clock shows it: on the 23-hour day the hour from 02:00 is
// skipped, so a span across it plays once, shortened; on the 25-hour day the hour from 01:00
// comes twice, and a span that ended in the first does not play again in the second.
TEST(ScheduleTest, EachSpanPlaysOnceOnDaysOfTwentyThreeAndTwentyFiveHours)
{
    schedule::Schedule night = Read(
        "<Schedule>"
        "<Window days=\"1234567\" from=\"01:00\" to=\"01:45\" playlist=\"A.xml\" />"
        "<Window days=\"1234567\" from=\"01:30\" to=\"02:30\" playlist=\"B.xml\" />"
        "<Window days=\"1234567\" from=\"23:00\" to=\"00:30\" playlist=\"C.xml\" />"
        "</Schedule>");
    const struct {
        const char* what;
        int hour, minute;
        int day;  // of March 2027 (spring: the 28th) and October (autumn: the 31st) alike
        int entry;
    } autumn[] = {
        {"first 01:00", 1, 0, 31, 0},
        {"first 01:44", 1, 44, 31, 1},  // the later entry wins from 01:30
        {"first 01:59", 1, 59, 31, 1},
        {"the clock goes back: second 01:00, A's span is over", 1, 0, 31, -1},
        {"second 01:35: B's span still runs, it did not end", 1, 35, 31, 1},
        {"02:30", 2, 30, 31, -1},
        {"23:10, a span past midnight", 23, 10, 31, 2},
        {"its tail on the next day", 0, 10, 32, 2},
    };
    schedule::ScheduleClock clock;
    for (const auto& step : autumn) {
        LocalTime t = step.day == 32 ? At(2027, 11, 1, step.hour, step.minute) : At(2027, 10, step.day, step.hour, step.minute);
        EXPECT_EQ(clock.Evaluate(night, t), step.entry) << step.what;
    }
    // Spring: 02:00 does not come; B holds from 01:30 and the clock's 03:00 is past its end.
    EXPECT_EQ(schedule::EntryAt(night, At(2027, 3, 28, 1, 59)), 1);
    EXPECT_EQ(schedule::EntryAt(night, At(2027, 3, 28, 3, 0)), -1);
    EXPECT_EQ(schedule::OccurrenceAt(night, 2, At(2027, 11, 1, 0, 10)).day, 31) << "the tail belongs to its start";
}

}  // namespace

namespace {

// What the settings page writes reads back as the same entries, names in any script included.
TEST(ScheduleTest, WrittenEntriesReadBackTheSame)
{
    schedule::Schedule week = Read(kWeek);
    week.entries[0].playlist = L"data\\playlists\\早场 & <Morning>.xml";
    week.entries[4].to = 1440;
    std::string text = schedule::Serialize(week.entries);
    schedule::Schedule again = Read(text);
    ASSERT_TRUE(again.problems.empty()) << text;
    ASSERT_EQ(again.entries.size(), week.entries.size()) << text;
    for (size_t i = 0; i < week.entries.size(); ++i) {
        const schedule::Entry &a = week.entries[i], &b = again.entries[i];
        EXPECT_EQ(a.kind, b.kind) << i;
        EXPECT_EQ(a.days, b.days) << i;
        EXPECT_EQ(a.year * 10000 + a.month * 100 + a.day, b.year * 10000 + b.month * 100 + b.day) << i;
        EXPECT_EQ(a.wholeDay, b.wholeDay) << i;
        EXPECT_EQ(a.from, b.from) << i;
        EXPECT_EQ(a.to, b.to) << i;
        EXPECT_EQ(a.off, b.off) << i;
        EXPECT_EQ(a.playlist, b.playlist) << i;
    }
    EXPECT_NE(text.find("to=\"24:00\""), std::string::npos) << text;
}

}  // namespace

namespace {

// The clock going minute by minute as the wall clock shows it, one plan at a time: a span that
// a later entry interrupted holds again after it; a Day entry keeps last night's window
// past midnight; on the 23-hour day (02:00 jumps to 03:00) and the 25-hour day (03:00
// goes back to 02:00) each span holds once. `nextIn`: minutes to the change the clock predicts.
TEST(ScheduleTest, TheClockHoldsWhatTheFileSaysThroughInterruptionsDatesAndDaylightSaving)
{
    const char* const plans[] = {
        "<Schedule><Window days=\"1234567\" from=\"18:00\" to=\"09:00\" off=\"1\" />"
        "<Window days=\"5\" from=\"20:00\" to=\"22:00\" playlist=\"Late.xml\" /></Schedule>",
        "<Schedule><Window days=\"1234567\" from=\"22:00\" to=\"08:30\" off=\"1\" />"
        "<Day date=\"2026-12-25\" from=\"10:00\" to=\"16:00\" playlist=\"Eve.xml\" /></Schedule>",
        "<Schedule><Window days=\"1234567\" from=\"01:30\" to=\"02:50\" playlist=\"X.xml\" />"
        "<Window days=\"1234567\" from=\"02:10\" to=\"02:30\" playlist=\"Y.xml\" />"
        "<Window days=\"1234567\" from=\"02:40\" to=\"03:30\" playlist=\"Z.xml\" /></Schedule>",
        "<Schedule><Window days=\"1234567\" from=\"22:00\" to=\"07:00\" off=\"1\" />"
        "<Window days=\"1234567\" from=\"01:30\" to=\"02:30\" playlist=\"A.xml\" />"
        "<Window days=\"1234567\" from=\"02:15\" to=\"03:30\" playlist=\"B.xml\" /></Schedule>",
    };
    enum { Ticks, Jumps };  // how the clock came here from the moment before
    const struct {
        int plan;
        LocalTime at;
        int came;
        int entry;
        const char* what;
        int nextIn, nextEntry;
    } moments[] = {
        {0, At(2026, 12, 11, 17, 0), Ticks, -1, "Friday before the closed hours", 0, 0},
        {0, At(2026, 12, 11, 20, 0), Ticks, 1, "the late show interrupts them", 120, 0},
        {0, At(2026, 12, 11, 22, 0), Ticks, 0, "closed again after the late show", 660, -1},
        {0, At(2026, 12, 12, 9, 0), Ticks, -1, "until their end", 0, 0},
        {1, At(2026, 12, 24, 23, 0), Ticks, 0, "closed on Christmas Eve", 570, -1},
        {1, At(2026, 12, 25, 3, 0), Ticks, 0, "a Day entry keeps last night's tail", 0, 0},
        {1, At(2026, 12, 25, 10, 0), Ticks, 1, "the Day entry", 0, 0},
        {1, At(2026, 12, 25, 22, 0), Ticks, -1, "the window of the Day's own date is replaced", 0, 0},
        {2, At(2027, 10, 31, 1, 30), Ticks, 0, "X", 0, 0},
        {2, At(2027, 10, 31, 2, 10), Ticks, 1, "Y interrupts X", 0, 0},
        {2, At(2027, 10, 31, 2, 30), Ticks, 0, "X goes on after Y", 0, 0},
        {2, At(2027, 10, 31, 2, 59), Ticks, 2, "Z in the last minute of summer time", 0, 0},
        {2, At(2027, 10, 31, 2, 0), Jumps, -1, "set back: X ended, it does not hold again", 40, 2},
        {2, At(2027, 10, 31, 2, 20), Ticks, -1, "nor does Y", 0, 0},
        {2, At(2027, 10, 31, 2, 40), Ticks, 2, "Z had not ended: it goes on", 0, 0},
        {2, At(2027, 10, 31, 3, 30), Ticks, -1, "Z's end", 0, 0},
        {3, At(2027, 3, 27, 23, 0), Ticks, 0, "closed on Saturday night", 0, 0},
        {3, At(2027, 3, 28, 1, 59), Ticks, 1, "A interrupts, to the last minute of winter time", 0, 0},
        {3, At(2027, 3, 28, 3, 0), Jumps, 2, "B began in the skipped hour: the rest of it plays", 30, 0},
        {3, At(2027, 3, 28, 3, 30), Ticks, 0, "closed again after B", 0, 0},
        {3, At(2027, 3, 28, 7, 0), Ticks, -1, "the night's end", 0, 0},
    };
    std::vector<schedule::Schedule> read;
    for (const char* plan : plans) read.push_back(Read(plan));
    schedule::ScheduleClock clock;
    int plan = -1;
    LocalTime last;
    for (const auto& m : moments) {
        const schedule::Schedule& file = read[static_cast<size_t>(m.plan)];
        if (m.plan != plan) {
            clock = schedule::ScheduleClock();
        } else if (m.came == Ticks) {
            const long long minutes = schedule::MinutesSinceEpoch(m.at) - schedule::MinutesSinceEpoch(last);
            for (long long tick = 1; tick < minutes; ++tick) clock.Evaluate(file, schedule::AddMinutes(last, tick));
        }
        plan = m.plan;
        last = m.at;
        EXPECT_EQ(clock.Evaluate(file, m.at), m.entry) << m.what;
        if (!m.nextIn) continue;
        LocalTime next;
        int entry = -2;
        ASSERT_TRUE(clock.NextChange(file, m.at, next, entry)) << m.what;
        EXPECT_EQ(schedule::MinutesSinceEpoch(next) - schedule::MinutesSinceEpoch(m.at), m.nextIn) << m.what;
        EXPECT_EQ(entry, m.nextEntry) << m.what;
    }
}

}  // namespace
