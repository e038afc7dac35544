#pragma once
// The soak's installation: a fresh copy of the staged one whose playlists hold copies of the
// stand-in effect (its picture always moving), with short hang, grace, black, frozen and
// heartbeat times, the guardian and the heartbeat on, and (when the launcher can be given
// another local time) a schedule whose parts change every few minutes.
#include <windows.h>

#include <string>
#include <vector>

namespace soak {

struct SoakInstall {
    std::wstring folder;
    std::vector<std::wstring> effects;  // full paths of effects\sv\fxSv?.exe

    // Copies `stage` to `folder` (emptied first) and puts the stand-ins from `standIn`.
    bool Build(const std::wstring& stage, const std::wstring& standIn, bool withSchedule, WORD heartbeatPort,
               std::wstring& problem);
    std::wstring Path(const std::wstring& relative) const { return folder + L"\\" + relative; }
};

// A loopback UDP port that no one holds now; 0 when none could be found. Soaks of other
// prefixes run on the same machine, and loopback is one for all of them.
WORD FreeUdpPort();

// `text` with key=value in [section], the rest of it byte for byte as it was.
std::string WithIniValue(const std::string& text, const std::string& section, const std::string& key,
                         const std::string& value);

}  // namespace soak
