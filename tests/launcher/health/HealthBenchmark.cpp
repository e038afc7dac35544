// What the look at the projection costs and how soon it acts, under a virtual display: prints,
// never fails on time (run under a virtual display by ProgramOnDisplay.sh).
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/SupervisedInstall.h"

using namespace e2e;

namespace {

ULONGLONG CpuMs(HANDLE process)
{
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(process, &created, &ended, &kernel, &user)) return 0;
    auto ms = [](const FILETIME& t) { return ((ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000; };
    return ms(kernel) + ms(user);
}

}  // namespace

// The launcher's share of a core while a moving effect plays, with every check on and off.
TEST(HealthBenchmark, SamplingCost)
{
    const DWORD kRunMs = 60000;
    const struct {
        const char* what;
        const char* health;
    } runs[] = {
        {"checks off", "blackseconds=0\r\nfrozenseconds=0\r\nheartbeat=0\r\n"},
        {"black, frozen, heartbeat on", "blackseconds=30\r\nfrozenseconds=30\r\nheartbeat=1\r\n"},
    };
    std::printf("Health checks' cost: the launcher's share of a core, a moving effect playing\n");
    for (const auto& run : runs) {
        SupervisedInstall install(L"HealthCost", {{"moving"}},
                                  std::string("graceseconds=1\r\n[health]\r\n") + run.health);
        ASSERT_NO_FATAL_FAILURE(install.Start());
        ASSERT_TRUE(install.WaitForStarts(0, 1, 10000));
        Pump(2000);
        ULONGLONG before = CpuMs(install.Launcher().Process()), start = GetTickCount64();
        Pump(kRunMs);
        ULONGLONG cpu = CpuMs(install.Launcher().Process()) - before, wall = GetTickCount64() - start;
        std::printf("  cost, %s: %.2f %% of a core over %llu s; effect starts %zu\n", run.what,
                    100.0 * double(cpu) / double(wall), wall / 1000, install.Starts(0).size());
        EXPECT_EQ(install.Starts(0).size(), 1u) << "no false failure of a healthy effect";
    }
}
