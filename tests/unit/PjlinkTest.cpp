#include <gtest/gtest.h>

#include <string>

#include "core/projector/Pjlink.h"
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
    EXPECT_EQ(projector::Exchange(Loopback(failingProjector.Port()), "", "LAMP ?").outcome, Answer::Undefined);

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
    for (const wchar_t* bad : {L"a,,b", L"a:0", L"a:65536", L"a:x", L":4352", L"a b", L"投影机"}) {
        error.clear();
        EXPECT_FALSE(projector::ParseAddresses(bad, addresses, error)) << bad;
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
