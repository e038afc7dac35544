#pragma once
// The soak's schedule: the same hour, every hour of every day, so that boundaries come
// every few minutes of the launcher's clock and a move by an hour lands in the same part:
//   :00-:20 playlist Soak1, :20-:40 the main playlist (no entry), :40-:50 Soak2, :50-:60 closed.
#include <string>

namespace soak {

struct SoakSchedule {
    static const wchar_t* const kFirstPlaylist;   // relative to the installation
    static const wchar_t* const kSecondPlaylist;

    static std::string Xml();
    static bool Closed(int minuteOfDay);
    // The next minute of the day (up to 1440) at which another part begins.
    static int NextBoundary(int minuteOfDay);
};

}  // namespace soak
