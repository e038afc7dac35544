#pragma once
// The weekly schedule of data\Schedule.xml: time windows on weekdays and entries for
// single dates, each naming a playlist or closing the installation. Reading it and
// choosing the entry in force are pure functions of the file's text and the local time.
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace schedule {

// A local date and the minute of its day.
struct LocalTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int minute = 0;  // 0 .. 1439
};

// 1 = Monday … 7 = Sunday.
int Weekday(int year, int month, int day);
// The same time `minutes` later or earlier, across days.
LocalTime AddMinutes(const LocalTime& time, long long minutes);

struct Entry {
    enum Kind { Window, Day };
    Kind kind = Window;
    unsigned days = 0;        // Window: bit n set for ISO weekday n
    int year = 0, month = 0, day = 0;  // Day
    bool wholeDay = false;    // a Day without from and to
    int from = 0, to = 0;     // minutes; to before from runs past midnight
    bool off = false;
    std::wstring playlist;    // as the file gives it
    int line = 0;
};

struct Schedule {
    std::vector<Entry> entries;
    // "line N: what is wrong", for entries that were skipped (and for a file that did not parse).
    std::vector<std::wstring> problems;
};

// Reads the file's text (UTF-8). `playlistExists` answers for a playlist path as the file
// gives it; an entry whose playlist is missing is skipped like any other bad entry.
Schedule Parse(const std::string& text, const std::function<bool(const std::wstring&)>& playlistExists);

// One time an entry holds: the entry and the date its span began on (the day before for
// the part of a span past midnight).
struct Occurrence {
    int entry;
    int year, month, day;
    bool operator<(const Occurrence& other) const
    {
        if (entry != other.entry) return entry < other.entry;
        if (year != other.year) return year < other.year;
        if (month != other.month) return month < other.month;
        return day < other.day;
    }
};

// A time of day as the settings page takes it, "H:MM" or "HH:MM" from 00:00 to 23:59 (and
// 24:00 where `end` allows the end of a day); the date "YYYY-MM-DD" of a real day.
bool ReadTimeOfDay(const std::wstring& text, bool end, int& minutes);
bool ReadDate(const std::wstring& text, int& year, int& month, int& day);
// "HH:MM"; "YYYY-MM-DD".
std::wstring TimeText(int minutes);
std::wstring DateText(int year, int month, int day);

// The file's text for these entries (UTF-8, one element per entry, in their order), as the
// settings page writes it; Parse reads it back to the same entries.
std::string Serialize(const std::vector<Entry>& entries);

// The entry in force at `time`: the index of the latest entry that holds, or -1 outside
// every entry. A date that has Day entries replaces the Windows that begin on it (one that
// began the night before runs on past midnight). Occurrences in `over` hold no more: a
// clock set back (the hour that comes twice when daylight saving ends) does not play a span
// again that already ended.
int EntryAt(const Schedule& schedule, const LocalTime& time, const std::set<Occurrence>* over = nullptr);
// The occurrence of `entry` that holds at `time` (the entry must hold then).
Occurrence OccurrenceAt(const Schedule& schedule, int entry, const LocalTime& time);

// The entry in force as the clock goes: like EntryAt, but a span whose end the clock passed
// going forward does not hold again when the clock is set back over it (so each span plays
// once on the 25-hour day). A span that a later entry interrupted, or that the clock went
// back before, holds again for the rest of its time.
class ScheduleClock {
public:
    int Evaluate(const Schedule& schedule, const LocalTime& now);
    void Forget();
    // The next minute after `time`, within `horizonMinutes`, at which Evaluate would give
    // another entry (or none), going on from this clock's state; false when nothing changes
    // in that time.
    bool NextChange(const Schedule& schedule, const LocalTime& time, LocalTime& next, int& nextEntry,
                    long long horizonMinutes = 8 * 1440) const;

private:
    std::set<Occurrence> over_;
    bool evaluated_ = false;
    long long last_ = 0;  // minutes since 1970 of the last evaluation
};

// Minutes since 1970-01-01 00:00 of a local time, for comparing two.
long long MinutesSinceEpoch(const LocalTime& time);

// NextChange of a clock that starts at `time`.
bool NextChange(const Schedule& schedule, const LocalTime& time, LocalTime& next, int& nextEntry,
                long long horizonMinutes = 8 * 1440);

}  // namespace schedule
