#pragma once
// Sections "health" and "frozen" of Bin\config.ini, read once when the launcher starts: what the projection
// must show for its effect to count as playing.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace health {

struct HealthSettings {
    DWORD blackSeconds = 30;     // 0: a black picture is never a failure
    DWORD frozenSeconds = 0;     // 0: a still picture is never a failure (still scenes exist)
    // A listener like every other: off until the operator turns it on.
    bool heartbeat = false;
    DWORD heartbeatPort = 12340;
    DWORD heartbeatSeconds = 10;

    // Section "frozen": an entry's own frozenseconds, by its program's full path or file
    // name (lower case), for the entries whose still scenes are (or are not) a fault.
    std::map<std::wstring, DWORD> frozenFor;
    DWORD FrozenSecondsFor(const std::wstring& path) const;

    // As the other sections: missing keys keep the defaults, values beyond sense are held at
    // the nearest sensible one with a note for the log.
    std::vector<std::wstring> notes;
    static HealthSettings Read(const wchar_t* file);
};

}  // namespace health
