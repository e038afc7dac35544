#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "core/projector/Pjlink.h"
#include "core/projector/ProjectorSwitch.h"
#include "tests/support/ProjectorEmulator.h"

using projector::Answer;
using testing_support::ProjectorEmulator;

namespace {

projector::Address Loopback(unsigned short port)
{
    projector::Address address;
    address.host = "127.0.0.1";
    address.port = port;
    return address;
}

TEST(PjlinkTest, TheDigestIsTheSpecificationsExample)
{
    EXPECT_EQ(projector::Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(projector::Md5Hex("498e4a67JBMIAProjectorLink"), "5d8409bc1c3fa39749434aa3a5c38682");
}

// On, warming up, on; off, cooling down, off: with and without the password.
TEST(PjlinkTest, PowerGoesOnThroughItsWarmUpAndOffThroughItsCoolDown)
{
    for (const char* password : {"", "JBMIAProjectorLink"}) {
        SCOPED_TRACE(password);
        ProjectorEmulator::Behaviour behaviour;
        behaviour.password = password;
        ProjectorEmulator projector(behaviour);
        projector::Address address = Loopback(projector.Port());
        EXPECT_EQ(projector::Exchange(address, password, "POWR ?").power, 0);
        EXPECT_EQ(projector::Exchange(address, password, "POWR 1").outcome, Answer::Ok);
        Answer warming = projector::Exchange(address, password, "POWR ?");
        EXPECT_EQ(warming.power, 3) << warming.reply;
        EXPECT_EQ(projector::Exchange(address, password, "POWR 0").outcome, Answer::Unavailable)
            << "a projector warming up takes no power command";
        Sleep(400);
        EXPECT_EQ(projector::Exchange(address, password, "POWR ?").power, 1);
        EXPECT_EQ(projector::Exchange(address, password, "POWR 0").outcome, Answer::Ok);
        EXPECT_EQ(projector::Exchange(address, password, "POWR ?").power, 2);
        Sleep(400);
        EXPECT_EQ(projector.Power(), 0);
    }
}

TEST(PjlinkTest, WrongPasswordsErrorsAndSilenceAreToldApart)
{
    ProjectorEmulator::Behaviour locked;
    locked.password = "secret";
    ProjectorEmulator lockedProjector(locked);
    EXPECT_EQ(projector::Exchange(Loopback(lockedProjector.Port()), "guess", "POWR 1").outcome, Answer::WrongPassword);
    EXPECT_EQ(projector::Exchange(Loopback(lockedProjector.Port()), "", "POWR 1").outcome, Answer::WrongPassword);
    EXPECT_TRUE(lockedProjector.Commands().empty());

    ProjectorEmulator::Behaviour failing;
    failing.failing = true;
    ProjectorEmulator failingProjector(failing);
    EXPECT_EQ(projector::Exchange(Loopback(failingProjector.Port()), "", "POWR 1").outcome, Answer::Failure);
    EXPECT_EQ(projector::Exchange(Loopback(failingProjector.Port()), "", "POWR 7").outcome, Answer::OutOfParameter);
    EXPECT_EQ(projector::Exchange(Loopback(failingProjector.Port()), "", "INPT ?").outcome, Answer::Undefined);

    ProjectorEmulator::Behaviour silent;
    silent.silent = true;
    ProjectorEmulator silentProjector(silent);
    DWORD start = GetTickCount();
    EXPECT_EQ(projector::Exchange(Loopback(silentProjector.Port()), "", "POWR 1", 500).outcome, Answer::NoAnswer);
    EXPECT_LT(GetTickCount() - start, 2500u) << "the wait is bounded";

    unsigned short closedPort = 0;
    {
        ProjectorEmulator gone(ProjectorEmulator::Behaviour{});
        closedPort = gone.Port();
    }
    EXPECT_EQ(projector::Exchange(Loopback(closedPort), "", "POWR 1", 500).outcome, Answer::NoAnswer);
}

TEST(PjlinkTest, AddressesAreHostsWithAnOptionalPortSeparatedByCommas)
{
    std::vector<projector::Address> addresses;
    std::wstring error;
    ASSERT_TRUE(projector::ParseAddresses(L" 192.168.1.20 , beamer-2:4353,10.0.0.5:4352 ", addresses, error));
    ASSERT_EQ(addresses.size(), 3u);
    EXPECT_EQ(addresses[0].host, "192.168.1.20");
    EXPECT_EQ(addresses[0].port, projector::kDefaultPort);
    EXPECT_EQ(addresses[1].host, "beamer-2");
    EXPECT_EQ(addresses[1].port, 4353);
    ASSERT_TRUE(projector::ParseAddresses(L"", addresses, error));
    EXPECT_TRUE(addresses.empty());
    // The same projector twice would be two series of one name in the metrics.
    std::vector<std::wstring> duplicates;
    ASSERT_TRUE(projector::ParseAddresses(L"a, B:9, A:4352, a:4353, b:9", addresses, error, &duplicates));
    ASSERT_EQ(addresses.size(), 3u);
    EXPECT_EQ(addresses[2].port, 4353);
    EXPECT_EQ(duplicates, (std::vector<std::wstring>{L"A:4352", L"b:9"}));
    for (const wchar_t* bad : {L"a,,b", L"a:0", L"a:65536", L"a:x", L":4352", L"a b", L"投影机"}) {
        error.clear();
        EXPECT_FALSE(projector::ParseAddresses(bad, addresses, error)) << bad;
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace

namespace {

using projector::ProjectorSwitch;

struct SwitchRun {
    std::vector<std::wstring> lines;
    CRITICAL_SECTION lock;
    HANDLE ready = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE surveyed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    SwitchRun() { InitializeCriticalSection(&lock); }
    ~SwitchRun()
    {
        CloseHandle(ready);
        CloseHandle(surveyed);
        DeleteCriticalSection(&lock);
    }
    std::unique_ptr<ProjectorSwitch> Make(const std::vector<unsigned short>& ports, const std::string& password,
                                          DWORD warmupMs, DWORD answerMs = 300,
                                          std::function<ULONGLONG()> clock = nullptr)
    {
        std::vector<projector::Address> addresses;
        for (unsigned short port : ports) addresses.push_back(Loopback(port));
        ProjectorSwitch::Timing timing;
        timing.warmupMs = warmupMs;
        timing.busyRetryMs = 100;
        timing.failRetryMs = 400;
        timing.pollMs = 100;
        timing.answerMs = answerMs;
        if (clock) timing.clock = clock;
        // Reports come between the power commands: they must not disturb them.
        timing.firstSurveyMs = 200;
        timing.surveyMs = 700;
        return std::unique_ptr<ProjectorSwitch>(new ProjectorSwitch(
            addresses, password, timing,
            [this](const std::wstring& line) {
                EnterCriticalSection(&lock);
                lines.push_back(line);
                LeaveCriticalSection(&lock);
            },
            [this] { SetEvent(ready); }, [this] { SetEvent(surveyed); }));
    }
    size_t Count(const std::wstring& part)
    {
        EnterCriticalSection(&lock);
        size_t count = 0;
        for (const std::wstring& line : lines) count += line.find(part) != std::wstring::npos;
        LeaveCriticalSection(&lock);
        return count;
    }
};

// Every projector on, then the effect: as soon as all report on, and never later than the
// warm-up time when one stays silent; off again through a cool-down, retried while busy.
TEST(ProjectorSwitchTest, OnWaitsForEveryProjectorAtMostTheWarmUpAndOffIsRetriedWhileBusy)
{
    ProjectorEmulator::Behaviour plain, locked, silent;
    plain.warmupMs = 600;
    locked.password = "pw";
    locked.warmupMs = 300;
    silent.silent = true;
    ProjectorEmulator a(plain), b(locked), quiet(silent);
    {
        SwitchRun run;
        auto both = run.Make({a.Port(), b.Port()}, "pw", 5000);
        DWORD start = GetTickCount();
        both->SwitchOn();
        ASSERT_EQ(WaitForSingleObject(run.ready, 5000), WAIT_OBJECT_0);
        EXPECT_LT(GetTickCount() - start, 3000u) << "ready once both were on, not after the warm-up time";
        EXPECT_EQ(a.Power(), 1);
        EXPECT_EQ(b.Power(), 1);
        both->SwitchOff();
        Sleep(1500);
        EXPECT_EQ(a.Power(), 0);
        EXPECT_EQ(b.Power(), 0);
        // Off while warming up: ERR3 until it takes it.
        both->SwitchOn();
        Sleep(50);
        both->SwitchOff();
        Sleep(2500);
        EXPECT_EQ(a.Power(), 0);
    }
    {
        SwitchRun run;
        auto withSilent = run.Make({a.Port(), quiet.Port()}, "", 1500);
        DWORD start = GetTickCount();
        withSilent->SwitchOn();
        ASSERT_EQ(WaitForSingleObject(run.ready, 5000), WAIT_OBJECT_0);
        EXPECT_GE(GetTickCount() - start, 1400u);
        Sleep(1500);
        EXPECT_EQ(run.Count(L": no answer"), 1u) << "asked again, logged once";
        EXPECT_EQ(run.Count(L"not all on after the warm-up time"), 1u);
    }
    {
        SwitchRun run;
        auto wrong = run.Make({b.Port()}, "guess", 500);
        wrong->SwitchOff();
        Sleep(800);
        EXPECT_EQ(run.Count(L"wrong password (ERRA)"), 1u);
    }
    {
        ProjectorEmulator::Behaviour worn = plain;
        worn.lampHours = 4321;
        worn.errors = "020010";
        ProjectorEmulator old(worn);
        SwitchRun run;
        auto surveying = run.Make({old.Port(), quiet.Port(), b.Port()}, "pw", 500);
        ASSERT_EQ(WaitForSingleObject(run.surveyed, 5000), WAIT_OBJECT_0);
        std::vector<projector::Health> reports = surveying->Reports();
        ASSERT_EQ(reports.size(), 3u);
        EXPECT_EQ(reports[0].power, 0);
        EXPECT_EQ(reports[0].lampHours, 4321);
        EXPECT_EQ(reports[0].errors, "020010");
        EXPECT_EQ(reports[1].outcome, Answer::NoAnswer);
        EXPECT_EQ(reports[1].lampHours, -1);
        EXPECT_EQ(reports[2].outcome, Answer::Ok) << "the password goes with every report";
        EXPECT_EQ(reports[2].lampHours, 1234);
    }
    std::vector<std::wstring> tried = ProjectorSwitch::TryAll({Loopback(a.Port()), Loopback(b.Port())}, "pw");
    ASSERT_EQ(tried.size(), 2u);
    EXPECT_NE(tried[0].find(L": OK, on"), std::wstring::npos) << std::string(tried[0].begin(), tried[0].end());
}

// The tick count passes 2^31 after 24.9 days and wraps after 49.7: the switch works on
// through both as with a fresh count, the wrap crossed during the warm-up.
TEST(ProjectorSwitchTest, SwitchesAndWarmsUpAsUsualWhereverTheClockStands)
{
    ProjectorEmulator::Behaviour plain, silent;
    silent.silent = true;
    ProjectorEmulator a(plain), quiet(silent);
    for (ULONGLONG at : {0ull, (1ull << 31) + 1000, (1ull << 32) - 1000}) {
        SCOPED_TRACE(at);
        ULONGLONG origin = GetTickCount64();
        SwitchRun run;
        auto sw = run.Make({a.Port(), quiet.Port()}, "", 1200, 300,
                           [=] { return at ? at + GetTickCount64() - origin : GetTickCount64(); });
        sw->SwitchOn();
        ASSERT_EQ(WaitForSingleObject(run.ready, 4000), WAIT_OBJECT_0);
        EXPECT_NEAR(static_cast<double>(GetTickCount64() - origin), 1200, 500) << "the warm-up time, no other";
        EXPECT_EQ(a.Power(), 1);
        EXPECT_EQ(WaitForSingleObject(run.surveyed, 2000), WAIT_OBJECT_0);
        sw->SwitchOff();
        Sleep(1000);
        EXPECT_EQ(a.Power(), 0);
    }
}

// The launcher replaces its switch when the settings change and drops it when it ends; with
// silent projectors the thread is then in the middle of exchanges for seconds. The owner
// must not wait for them, and nothing may be called back once it has gone.
TEST(ProjectorSwitchTest, AnOwnerThatGoesDuringSilentExchangesNeitherWaitsNorIsCalledBack)
{
    ProjectorEmulator::Behaviour silent;
    silent.silent = true;
    ProjectorEmulator quiet(silent);
    SwitchRun run;
    auto sw = run.Make(std::vector<unsigned short>(10, quiet.Port()), "", 500);
    sw->SwitchOn();
    Sleep(400);
    DWORD start = GetTickCount();
    sw.reset();
    EXPECT_LT(GetTickCount() - start, 600u);
    size_t told = run.Count(L"");
    Sleep(1500);
    EXPECT_EQ(run.Count(L""), told) << "a log line after the owner went";
    EXPECT_EQ(WaitForSingleObject(run.ready, 0), WAIT_TIMEOUT);
}

// A switch replaced during a slow exchange (the settings changed) must not have its command
// land after its successor's: "on" would come last and the projector stay on.
TEST(ProjectorSwitchTest, AReplacedSwitchsCommandNeverLandsAfterItsSuccessors)
{
    SwitchRun run;
    ProjectorEmulator::Behaviour slow;
    slow.firstGreetingMs = 800;
    ProjectorEmulator a(slow);
    auto sw = run.Make({a.Port()}, "", 5000, 2000);
    sw->SwitchOn();
    Sleep(100);
    sw.reset();
    sw = run.Make({a.Port()}, "", 5000, 2000);
    sw->SwitchOff();
    Sleep(2500);
    std::string last;
    for (const std::string& command : a.Commands())
        if (command == "%1POWR 0" || command == "%1POWR 1") last = command;
    EXPECT_EQ(last, "%1POWR 0");
    EXPECT_EQ(a.Power(), 0);
}

}  // namespace
