#include "launcher/health/CoverTally.h"

#include <algorithm>

namespace health {

CoverTally::Telling CoverTally::Covered(const std::wstring& program, ULONGLONG now)
{
    // A program that covered once is kept no longer than its minute unless it comes back.
    for (auto it = records_.begin(); it != records_.end();) {
        Record& r = it->second;
        r.times.erase(std::remove_if(r.times.begin(), r.times.end(),
                                     [now](ULONGLONG t) { return now - t >= kNuisanceWindowMs; }),
                      r.times.end());
        if (r.times.empty() && (!r.told || now - r.toldAt >= kRetellMs)) it = records_.erase(it);
        else ++it;
    }
    Record& record = records_[program];
    record.times.push_back(now);
    if (record.told && now - record.toldAt < kRetellMs) return Quiet;
    if (record.times.size() <= kNuisanceCount) return Cover;
    record.told = true;
    record.toldAt = now;
    return Nuisance;
}

}  // namespace health
