#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/SupervisedInstall.h"
#include "tests/support/ProjectorEmulator.h"

using namespace e2e;

namespace {

std::string HourMinute(int minuteOfDay)
{
    char text[8];
    std::snprintf(text, sizeof(text), "%02d:%02d", minuteOfDay / 60 % 24, minuteOfDay % 60);
    return text;
}

int MinuteOfDayNow(int* second = nullptr)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (second) *second = now.wSecond;
    return now.wHour * 60 + now.wMinute;
}

// A real minute: closed until the next one (the projector told off, black standby), then a
// playlist of its own from that minute on, after the projector reported on.
TEST(Schedule, ClosedHoursEndAtTheirBoundaryWithTheProjectorOnFirstAndTheEntrysPlaylist)
{
    int second = 0;
    MinuteOfDayNow(&second);
    // Far enough from the boundary that the launcher starts inside the closed minute.
    if (second >= 48) Sleep(static_cast<DWORD>(62 - second) * 1000);
    int now = MinuteOfDayNow();
    int boundary = (now + 1) % 1440;

    testing_support::ProjectorEmulator::Behaviour behaviour;
    behaviour.warmupMs = 300;
    testing_support::ProjectorEmulator projector(behaviour);
    SupervisedInstall install(L"ScheduleBoundary", {{""}, {""}},
                              "graceseconds=1\r\n[projector]\r\naddress=127.0.0.1:" + std::to_string(projector.Port()) +
                                  ", 127.0.0.1:" + std::to_string(projector.Port()) + "\r\nwarmupseconds=20\r\n");
    WritePlaylist(install.Install(), {{install.Path(0), "10"}});
    CreateDirectoryW(install.Install().Path(L"data\\playlists").c_str(), nullptr);
    std::string other(install.Path(1).begin(), install.Path(1).end());
    WriteBytes(install.Install().Path(L"data\\playlists\\Evening.xml"),
               "<Effects><Effect><file>" + other + "</file><time>10</time></Effect></Effects>");
    WriteBytes(install.Install().Path(L"data\\Schedule.xml"),
               "<Schedule>\n"
               "  <Window days=\"1234567\" from=\"" + HourMinute(now) + "\" to=\"" + HourMinute(boundary) +
                   "\" off=\"1\" />\n"
               "  <Window days=\"1234567\" from=\"" + HourMinute(boundary) + "\" to=\"" + HourMinute(boundary + 2) +
                   "\" playlist=\"data\\playlists\\Evening.xml\" />\n"
               "  <Window days=\"8\" from=\"10:00\" to=\"11:00\" off=\"1\" />\n"
               "</Schedule>\n");
    ASSERT_NO_FATAL_FAILURE(install.Start());

    ASSERT_TRUE(install.WaitForLog("closed hours: nothing plays", 5000)) << install.Log();
    EXPECT_NE(FindWindowW(L"PavoraStandby", nullptr), nullptr);
    EXPECT_TRUE(install.WaitForLog("projector 127.0.0.1:" + std::to_string(projector.Port()) + ": switched off", 5000))
        << install.Log();
    EXPECT_NE(install.Log().find("schedule: line 4: \"days\" holds something other than the weekdays 1 to 7; skipped"),
              std::string::npos)
        << install.Log();
    EXPECT_TRUE(install.Starts(0).empty()) << "the main playlist does not play in closed hours";

    // The boundary, as the local clock has it.
    while (MinuteOfDayNow() != boundary) Pump(20);
    ULONGLONG boundaryTick = GetTickCount64();
    ASSERT_TRUE(install.WaitForStarts(1, 1, 15000)) << install.Log();
    ULONGLONG took = install.Starts(1)[0].tick - boundaryTick;
    // Within a second of the boundary, plus the projector's warm-up and room for a loaded machine.
    EXPECT_LT(took, 1000u + behaviour.warmupMs + 1500u) << took << " ms";
    EXPECT_EQ(projector.Power(), 1);
    // Its reports ("POWR ?", "LAMP ?", "ERST ?") come between: the power commands alone.
    std::vector<std::string> commands;
    for (const std::string& command : projector.Commands())
        if (command == "%1POWR 0" || command == "%1POWR 1") commands.push_back(command);
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ(commands[0], "%1POWR 0");
    EXPECT_EQ(commands[1], "%1POWR 1");
    std::string log = install.Log();
    EXPECT_NE(log.find("fxSvB.exe (schedule)"), std::string::npos) << log;
    EXPECT_TRUE(install.Starts(0).empty());
    EXPECT_EQ(FindWindowW(L"PavoraStandby", nullptr), nullptr);
    install.Launcher().Timer(6);
    ASSERT_TRUE(install.Launcher().Sync());
    std::string status = install.Status();
    EXPECT_NE(status.find("\"schedule\": {\"entry\": 3,"), std::string::npos) << status;
    EXPECT_NE(status.find("\"nextAt\": \"20"), std::string::npos) << status;
    // The projector's first report, ten seconds after the start, goes into the status file.
    for (DWORD start = GetTickCount(); status.find("\"lampHours\": 1234") == std::string::npos; Pump(200)) {
        if (GetTickCount() - start > 15000) break;
        status = install.Status();
    }
    EXPECT_NE(status.find("\"answered\": true, \"problem\": null, \"power\": "), std::string::npos) << status;
    EXPECT_NE(status.find("\"lampHours\": 1234, \"errors\": \"000000\""), std::string::npos) << status;
    // Given twice, switched and reported once: a second series of the same projector would make
    // the fleet's collector refuse the whole metrics file.
    EXPECT_NE(install.Log().find(" is given twice; used once"), std::string::npos) << install.Log();
    EXPECT_EQ(status.find("\"lampHours\": 1234", status.find("\"lampHours\": 1234") + 1), std::string::npos) << status;
    wchar_t keep[MAX_PATH] = L"";
    if (GetEnvironmentVariableW(L"PAVORA_KEEP_METRICS", keep, MAX_PATH))
        CopyFileW(install.Install().Path(L"log\\pavora.prom").c_str(), keep, FALSE);
}

}  // namespace
