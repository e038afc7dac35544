#pragma once
// The soak's figures: per kind of fault, and the one closing line.
#include <windows.h>

#include <string>
#include <vector>

#include "tools/soak/Faults.h"
#include "tools/soak/Processes.h"
#include "tools/soak/Projection.h"

namespace soak {

struct Outcome {
    Planned fault;
    bool recovered = false;
    ULONGLONG recoveryMs = 0;  // injection to an effect or the standby on top again
    bool logged = false;
    std::string note;          // what went wrong in causing it, if anything
    std::string at;            // the launcher's local time of the injection, to find it in its log
};

struct Summary {
    size_t faults = 0;
    std::vector<Gap> gaps;
    DialogsLeft dialogs;
    std::vector<std::wstring> changedFiles;
    ProcessCost first, last;
    ULONGLONG closedNotBlackMs = 0;
    size_t effectsRunning = 0;  // stand-in effect processes at the end
    unsigned boundaries = 0, closedSpans = 0;
    ULONGLONG tookMs = 0;
    unsigned seed = 0;
};

const ULONGLONG kLongGapMs = 3000;

void PrintReport(const std::vector<Outcome>& outcomes, const Summary& summary);
// One line per fault, beside the launcher's log, for reading the two together.
void WriteFaultList(const std::wstring& path, const std::vector<Outcome>& outcomes);
// Whether --strict fails the run.
bool Failed(const Summary& summary);

}  // namespace soak
