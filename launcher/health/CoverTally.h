#pragma once
// Counts how often each program covered the effect: one that does so more than three times a
// minute is a nuisance, told once an hour so that the log is not filled with it: its covers
// are not logged meanwhile (they are still pushed under).
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace health {

class CoverTally {
public:
    static constexpr size_t kNuisanceCount = 3;          // more than this within …
    static constexpr ULONGLONG kNuisanceWindowMs = 60000; // … a minute
    static constexpr ULONGLONG kRetellMs = 3600000;

    enum Telling { Cover, Nuisance, Quiet };
    // A cover by `program` (its path) at `now` (milliseconds): to be logged, logged and told
    // as a nuisance, or a told nuisance's within its hour.
    Telling Covered(const std::wstring& program, ULONGLONG now);

private:
    struct Record {
        std::vector<ULONGLONG> times;  // within the last minute
        bool told = false;
        ULONGLONG toldAt = 0;
    };
    std::map<std::wstring, Record> records_;
};

}  // namespace health
