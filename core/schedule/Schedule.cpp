#include "core/schedule/Schedule.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

#include <tinyxml.h>

#include "core/text/XmlFileLimits.h"
#include "framework/Utf8.h"

namespace schedule {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
long long DaysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + static_cast<unsigned>(d) - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (m <= 2));
}

bool ValidDate(int y, int m, int d)
{
    if (y < 1900 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
    int yy = 0, mm = 0, dd = 0;
    CivilFromDays(DaysFromCivil(y, m, d), yy, mm, dd);
    return yy == y && mm == m && dd == d;
}

std::wstring Wide(const char* text)
{
    return text ? kit::FromUtf8(text) : std::wstring();
}

// "HH:MM", 00:00 … 23:59, and 24:00 as the end of a day.
bool ParseTime(const char* text, int& minutes)
{
    if (!text) return false;
    int h = 0, m = 0;
    char rest = 0;
    if (std::strlen(text) != 5 || std::sscanf(text, "%2d:%2d%c", &h, &m, &rest) != 2) return false;
    if (h == 24 && m == 0) {
        minutes = 1440;
        return true;
    }
    if (h < 0 || h > 23 || m < 0 || m > 59) return false;
    minutes = h * 60 + m;
    return true;
}

std::wstring Problem(int line, const std::wstring& what)
{
    return L"line " + std::to_wstring(line) + L": " + what;
}

// The line of `position` in `text`, counted as the parser counts them.
int LineOf(const char* text, const char* position)
{
    int line = 1;
    for (const char* c = text; c < position; ++c)
        if (*c == '\n' || (*c == '\r' && c[1] != '\n')) ++line;
    return line;
}

bool ReadTimes(const TiXmlElement& element, Entry& entry, std::wstring& error)
{
    const char* from = element.Attribute("from");
    const char* to = element.Attribute("to");
    if (!from && !to && entry.kind == Entry::Day) {
        entry.wholeDay = true;
        return true;
    }
    if (!ParseTime(from, entry.from) || entry.from == 1440) {
        error = L"\"from\" is no time of day (HH:MM)";
        return false;
    }
    if (!ParseTime(to, entry.to)) {
        error = L"\"to\" is no time of day (HH:MM)";
        return false;
    }
    if (entry.to == entry.from) {
        error = L"\"from\" and \"to\" are the same time";
        return false;
    }
    return true;
}

bool DayHasEntries(const Schedule& schedule, int y, int m, int d)
{
    for (const Entry& entry : schedule.entries)
        if (entry.kind == Entry::Day && entry.year == y && entry.month == m && entry.day == d) return true;
    return false;
}

// Whether an occurrence of `entry` begins on day `day` (days since 1970), and its span in
// minutes since 1970, end excluded.
bool BeginsOn(const Entry& entry, long long day, long long& start, long long& end)
{
    if (entry.kind == Entry::Window) {
        long long weekday = ((day % 7) + 7 + 3) % 7 + 1;
        if (!((entry.days >> weekday) & 1u)) return false;
    } else if (DaysFromCivil(entry.year, entry.month, entry.day) != day) {
        return false;
    }
    start = day * 1440 + (entry.wholeDay ? 0 : entry.from);
    end = day * 1440 + (entry.wholeDay ? 1440 : entry.to < entry.from ? 1440 + entry.to : entry.to);
    return true;
}

Occurrence OccurrenceOn(int entry, long long day)
{
    Occurrence occurrence{entry, 0, 0, 0};
    CivilFromDays(day, occurrence.year, occurrence.month, occurrence.day);
    return occurrence;
}

}  // namespace

int Weekday(int year, int month, int day)
{
    // 1970-01-01 was a Thursday (4).
    long long days = DaysFromCivil(year, month, day);
    long long weekday = ((days % 7) + 7 + 3) % 7;  // 0 = Monday
    return static_cast<int>(weekday) + 1;
}

LocalTime AddMinutes(const LocalTime& time, long long minutes)
{
    long long total = DaysFromCivil(time.year, time.month, time.day) * 1440 + time.minute + minutes;
    long long days = total >= 0 ? total / 1440 : (total - 1439) / 1440;
    LocalTime result;
    CivilFromDays(days, result.year, result.month, result.day);
    result.minute = static_cast<int>(total - days * 1440);
    return result;
}

Schedule Parse(const std::string& text, const std::function<bool(const std::wstring&)>& playlistExists)
{
    Schedule schedule;
    // The limits of every XML file of the system: the parser recurses once per level, so a
    // deeply nested file would overflow the stack.
    if (text.size() > static_cast<size_t>(tessaly::kXmlSizeLimit)) {
        schedule.problems.push_back(
            Problem(1, L"the file is larger than " + std::to_wstring(tessaly::kXmlSizeLimit / (1024 * 1024)) + L" MB"));
        return schedule;
    }
    // Padded with NULs: the parser's reading of a truncated multi-byte character steps up to
    // three bytes past the end.
    const std::string padded = text + std::string(8, '\0');
    const char* start = padded.c_str();
    // Read as UTF-8, a lead byte takes the next bytes with it whatever they are, a quote or a
    // '<' included: such a file is read byte for byte.
    TiXmlEncoding encoding = TIXML_ENCODING_UTF8;
    if (!tessaly::StepsAsUtf8(start, std::strlen(start))) {
        encoding = TIXML_ENCODING_LEGACY;
        if (std::strncmp(start, "\xEF\xBB\xBF", 3) == 0) start += 3;
    }
    const char* beyond = start;
    if (tessaly::XmlNestingDepth(start, tessaly::kXmlDepthLimit, encoding, &beyond) > tessaly::kXmlDepthLimit) {
        const std::wstring limit = std::to_wstring(tessaly::kXmlDepthLimit);
        schedule.problems.push_back(Problem(LineOf(padded.c_str(), beyond), L"elements nest deeper than " + limit));
        return schedule;
    }
    TiXmlDocument document;
    document.Parse(start, nullptr, encoding);
    if (document.Error()) {
        schedule.problems.push_back(Problem(document.ErrorRow(), L"the file is no readable XML (" +
                                                                     Wide(document.ErrorDesc()) + L")"));
        return schedule;
    }
    const TiXmlElement* root = document.RootElement();
    if (!root || std::strcmp(root->Value(), "Schedule") != 0) {
        schedule.problems.push_back(Problem(root ? root->Row() : 1, L"the root element is not <Schedule>"));
        return schedule;
    }
    for (const TiXmlElement* element = root->FirstChildElement(); element; element = element->NextSiblingElement()) {
        Entry entry;
        entry.line = element->Row();
        std::wstring error;
        const std::string name = element->Value();
        if (name == "Window") {
            entry.kind = Entry::Window;
            const char* days = element->Attribute("days");
            for (const char* c = days; c && *c; ++c) {
                if (*c < '1' || *c > '7') {
                    error = L"\"days\" holds something other than the weekdays 1 to 7";
                    break;
                }
                entry.days |= 1u << (*c - '0');
            }
            if (error.empty() && entry.days == 0) error = L"\"days\" names no weekday";
        } else if (name == "Day") {
            entry.kind = Entry::Day;
            const char* date = element->Attribute("date");
            char rest = 0;
            if (!date || std::strlen(date) != 10 ||
                std::sscanf(date, "%4d-%2d-%2d%c", &entry.year, &entry.month, &entry.day, &rest) != 3 ||
                !ValidDate(entry.year, entry.month, entry.day))
                error = L"\"date\" is no date (YYYY-MM-DD)";
        } else {
            error = L"<" + Wide(element->Value()) + L"> is neither <Window> nor <Day>";
        }
        if (error.empty()) ReadTimes(*element, entry, error);
        if (error.empty()) {
            const char* off = element->Attribute("off");
            entry.off = off && std::strcmp(off, "1") == 0;
            entry.playlist = Wide(element->Attribute("playlist"));
            if (!entry.off && entry.playlist.empty()) error = L"neither a playlist nor off=\"1\"";
            else if (!entry.off && !playlistExists(entry.playlist))
                error = L"the playlist file is missing: " + entry.playlist;
        }
        if (!error.empty()) {
            schedule.problems.push_back(Problem(entry.line, error));
            continue;
        }
        schedule.entries.push_back(entry);
    }
    return schedule;
}

bool ReadTimeOfDay(const std::wstring& text, bool end, int& minutes)
{
    std::string narrow;
    for (wchar_t c : text) {
        if (c > 127) return false;
        if (c != L' ') narrow += static_cast<char>(c);
    }
    if (narrow.size() == 4) narrow = "0" + narrow;
    int value = 0;
    if (!ParseTime(narrow.c_str(), value) || (value == 1440 && !end)) return false;
    minutes = value;
    return true;
}

bool ReadDate(const std::wstring& text, int& year, int& month, int& day)
{
    int y = 0, m = 0, d = 0;
    wchar_t rest = 0;
    if (text.size() != 10 || std::swscanf(text.c_str(), L"%4d-%2d-%2d%lc", &y, &m, &d, &rest) != 3 ||
        !ValidDate(y, m, d))
        return false;
    year = y;
    month = m;
    day = d;
    return true;
}

std::wstring TimeText(int minutes)
{
    wchar_t text[8];
    std::swprintf(text, 8, L"%02d:%02d", minutes / 60, minutes % 60);
    return text;
}

std::wstring DateText(int year, int month, int day)
{
    wchar_t text[16];
    std::swprintf(text, 16, L"%04d-%02d-%02d", year, month, day);
    return text;
}

std::string Serialize(const std::vector<Entry>& entries)
{
    auto time = [](int minutes) {
        char text[8];
        std::snprintf(text, sizeof(text), "%02d:%02d", minutes / 60, minutes % 60);
        return std::string(text);
    };
    TiXmlDocument document;
    document.LinkEndChild(new TiXmlDeclaration("1.0", "UTF-8", ""));
    auto* root = new TiXmlElement("Schedule");
    document.LinkEndChild(root);
    for (const Entry& entry : entries) {
        auto* element = new TiXmlElement(entry.kind == Entry::Window ? "Window" : "Day");
        if (entry.kind == Entry::Window) {
            std::string days;
            for (int day = 1; day <= 7; ++day)
                if ((entry.days >> day) & 1u) days += static_cast<char>('0' + day);
            element->SetAttribute("days", days.c_str());
        } else {
            char date[16];
            std::snprintf(date, sizeof(date), "%04d-%02d-%02d", entry.year, entry.month, entry.day);
            element->SetAttribute("date", date);
        }
        if (!entry.wholeDay) {
            element->SetAttribute("from", time(entry.from).c_str());
            element->SetAttribute("to", time(entry.to).c_str());
        }
        if (entry.off) {
            element->SetAttribute("off", "1");
        } else {
            element->SetAttribute("playlist", kit::ToUtf8(entry.playlist).c_str());
        }
        root->LinkEndChild(element);
    }
    TiXmlPrinter printer;
    printer.SetIndent("  ");
    document.Accept(&printer);
    return printer.Str();
}

int EntryAt(const Schedule& schedule, const LocalTime& time, const std::set<Occurrence>* over)
{
    const long long today = DaysFromCivil(time.year, time.month, time.day);
    const long long now = today * 1440 + time.minute;
    const bool dated = DayHasEntries(schedule, time.year, time.month, time.day);
    int chosen = -1;
    for (size_t i = 0; i < schedule.entries.size(); ++i) {
        const Entry& entry = schedule.entries[i];
        // Yesterday's span may run past midnight; a Day entry replaces only the Windows that
        // begin on its date.
        for (long long began = today - 1; began <= today; ++began) {
            long long start = 0, end = 0;
            if (!BeginsOn(entry, began, start, end) || now < start || now >= end) continue;
            if (entry.kind == Entry::Window && began == today && dated) continue;
            if (over && over->count(OccurrenceOn(static_cast<int>(i), began))) continue;
            chosen = static_cast<int>(i);
        }
    }
    return chosen;
}

Occurrence OccurrenceAt(const Schedule& schedule, int entry, const LocalTime& time)
{
    const Entry& e = schedule.entries[static_cast<size_t>(entry)];
    // A span past midnight began the day before for the minutes before its end.
    bool tail = !e.wholeDay && e.to < e.from && time.minute < e.to;
    LocalTime start = tail ? AddMinutes(time, -1440) : time;
    return Occurrence{entry, start.year, start.month, start.day};
}

long long MinutesSinceEpoch(const LocalTime& time)
{
    return DaysFromCivil(time.year, time.month, time.day) * 1440 + time.minute;
}

int ScheduleClock::Evaluate(const Schedule& schedule, const LocalTime& now)
{
    const long long minutes = MinutesSinceEpoch(now);
    // Spans whose end the clock passed going forward are over, whatever held meanwhile; going
    // back ends nothing. What began days ago can no longer come back.
    const long long today = DaysFromCivil(now.year, now.month, now.day);
    if (evaluated_ && minutes > last_) {
        long long first = (last_ >= 0 ? last_ : last_ - 1439) / 1440 - 1;
        if (first < today - 3) first = today - 3;
        for (long long day = first; day <= today; ++day) {
            for (size_t i = 0; i < schedule.entries.size(); ++i) {
                long long start = 0, end = 0;
                if (BeginsOn(schedule.entries[i], day, start, end) && end > last_ && end <= minutes)
                    over_.insert(OccurrenceOn(static_cast<int>(i), day));
            }
        }
    }
    last_ = minutes;
    evaluated_ = true;
    for (auto it = over_.begin(); it != over_.end();) {
        if (DaysFromCivil(it->year, it->month, it->day) < today - 3) it = over_.erase(it);
        else ++it;
    }
    return EntryAt(schedule, now, &over_);
}

void ScheduleClock::Forget()
{
    over_.clear();
    evaluated_ = false;
}

bool ScheduleClock::NextChange(const Schedule& schedule, const LocalTime& time, LocalTime& next, int& nextEntry,
                               long long horizonMinutes) const
{
    // What is in force changes only at a start, an end or midnight: the clock is run on a
    // copy through those minutes alone.
    std::set<int> boundaries = {0};
    for (const Entry& entry : schedule.entries) {
        if (entry.wholeDay) continue;
        boundaries.insert(entry.from);
        boundaries.insert(entry.to % 1440);
    }
    ScheduleClock ahead(*this);
    const int now = ahead.Evaluate(schedule, time);
    const long long start = MinutesSinceEpoch(time);
    for (long long day = DaysFromCivil(time.year, time.month, time.day);; ++day) {
        for (int minute : boundaries) {
            long long at = day * 1440 + minute;
            if (at <= start) continue;
            if (at > start + horizonMinutes) return false;
            LocalTime later = AddMinutes(time, at - start);
            int entry = ahead.Evaluate(schedule, later);
            if (entry != now) {
                next = later;
                nextEntry = entry;
                return true;
            }
        }
    }
}

bool NextChange(const Schedule& schedule, const LocalTime& time, LocalTime& next, int& nextEntry,
                long long horizonMinutes)
{
    return ScheduleClock().NextChange(schedule, time, next, nextEntry, horizonMinutes);
}

}  // namespace schedule
