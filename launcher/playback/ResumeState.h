#pragma once
// What played when the launcher went down, as its last log\status.json says: a launcher
// that its guardian started again goes on from there instead of starting over.
#include <windows.h>

#include <string>

namespace launcher {

struct ResumeState {
    bool valid = false;
    std::string state;        // "playing", "restarting", "standby", "stopped"
    std::wstring effect;      // empty: none
    DWORD pid = 0;            // the effect's process, 0 when not known
    bool rotation = false;    // the rotation ran
    int index = -1;           // its entry
    bool due = false;         // its timer was set:
    ULONGLONG leftMs = 0;     // the time the entry had left (0: due now)
    bool scheduleSuspended = false;
};

// `nowUtc`: the wall clock in FILETIME units, as the status file's times were written.
// A file that is missing, too large or not the status file's form gives an invalid state.
ResumeState ReadResumeState(const std::wstring& statusFile, ULONGLONG nowUtc);

// "2026-12-09T14:03:07+01:00" in FILETIME units (UTC); false for anything else.
bool ParseIsoTime(const std::string& text, ULONGLONG& utc);

}  // namespace launcher
