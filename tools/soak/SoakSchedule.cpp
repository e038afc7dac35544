#include "tools/soak/SoakSchedule.h"

#include <cstdio>

namespace soak {
namespace {

const int kBoundaries[] = {0, 20, 40, 50, 60};

std::string Clock(int minute)
{
    char text[8];
    std::snprintf(text, sizeof(text), "%02d:%02d", minute / 60, minute % 60);
    return text;
}

}  // namespace

const wchar_t* const SoakSchedule::kFirstPlaylist = L"data\\playlists\\Soak1.xml";
const wchar_t* const SoakSchedule::kSecondPlaylist = L"data\\playlists\\Soak2.xml";

std::string SoakSchedule::Xml()
{
    std::string xml = "<Schedule>\r\n";
    for (int hour = 0; hour < 24; ++hour) {
        int base = hour * 60;
        xml += "  <Window days=\"1234567\" from=\"" + Clock(base) + "\" to=\"" + Clock(base + 20) +
               "\" playlist=\"data\\playlists\\Soak1.xml\" />\r\n";
        xml += "  <Window days=\"1234567\" from=\"" + Clock(base + 40) + "\" to=\"" + Clock(base + 50) +
               "\" playlist=\"data\\playlists\\Soak2.xml\" />\r\n";
        xml += "  <Window days=\"1234567\" from=\"" + Clock(base + 50) + "\" to=\"" + Clock(base + 60) +
               "\" off=\"1\" />\r\n";
    }
    return xml + "</Schedule>\r\n";
}

bool SoakSchedule::Closed(int minuteOfDay)
{
    return minuteOfDay % 60 >= 50;
}

int SoakSchedule::NextBoundary(int minuteOfDay)
{
    int hour = minuteOfDay / 60 * 60;
    for (int boundary : kBoundaries)
        if (hour + boundary > minuteOfDay) return hour + boundary;
    return hour + 60;
}

}  // namespace soak
