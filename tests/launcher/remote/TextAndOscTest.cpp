// Text over TCP and UDP and OSC through the real launcher: what a control system, a show-
// control desk, a stranger and a flood of datagrams do to what plays.
#include <gtest/gtest.h>

#include <functional>

#include "tests/support/RemotePeers.h"

using namespace e2e;
using namespace testing_support;

namespace {

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

size_t Count(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

void StartRotation(SupervisedInstall& install)
{
    ASSERT_NO_FATAL_FAILURE(install.Start());
    install.Launcher().Command(kRotationButton);
    ASSERT_TRUE(install.WaitForStarts(0, 1, 10000)) << install.Log();
}

// Each transport steps the rotation as the bar's button does and answers with what plays; a
// control system connected over TCP hears every change unasked, whoever made it.
TEST(RemoteText, EveryTransportStepsTheRotationAndATcpPeerHearsEveryChange)
{
    auto install = RemoteInstall(L"RemoteNext", "tcp=18101\r\nudp=18102\r\nosc=18103\r\n");
    ASSERT_NO_FATAL_FAILURE(install->Start());
    ASSERT_TRUE(install->WaitForLog("text over TCP on port 18101, text over UDP on port 18102, OSC on port 18103; "
                                    "commands from 127.0.0.1", 5000)) << install->Log();
    RemotePeer tcp(SOCK_STREAM, 18101), udp(SOCK_DGRAM, 18102), osc(SOCK_DGRAM, 18103);
    EXPECT_EQ(tcp.Ask("next"), "ERR the rotation is stopped") << "as the bar's button: nothing to step";
    EXPECT_EQ(udp.Ask("START"), "OK\r\n");
    ASSERT_TRUE(install->WaitForStarts(0, 1, 10000)) << install->Log();

    auto line = [&](size_t effect) {
        return "STATUS state=playing entry=" + std::to_string(effect + 1) + " effect=\"" +
               Narrow(install->Path(effect)) + "\"";
    };
    const struct {
        const char* transport;
        std::function<std::string()> next, status;
        std::function<std::string(size_t)> plays;
    } kCases[] = {
        {"tcp", [&] { return tcp.Ask("NEXT"); }, [&] { return tcp.Ask("STATUS?"); }, line},
        {"udp", [&] { return udp.Ask("Next\r\n"); }, [&] { return udp.Ask("status?"); }, line},
        {"osc", [&] { return OscReplyText(osc.Ask(OscMessage("/pavora/next"))).substr(0, 21); },
         [&] { return OscReplyText(osc.Ask(OscMessage("/pavora/status"))); },
         [&](size_t effect) {
             return "/pavora/state playing " + std::to_string(effect + 1) + " " + Narrow(install->Path(effect));
         }},
    };
    const char* kAnswers[] = {"OK", "OK\r\n", "/pavora/state playing"};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(kCases[i].transport);
        size_t effect = (i + 1) % 2;
        EXPECT_EQ(kCases[i].next(), kAnswers[i]);
        ASSERT_TRUE(install->WaitForStarts(effect, (i + 1) / 2 + 1, 10000)) << install->Log();
        EXPECT_NE(install->Log().find("remote: next from " + std::string(kCases[i].transport) + " 127.0.0.1"),
                  std::string::npos) << install->Log();
        // What plays is written a moment after its window shows.
        std::string expected = kCases[i].plays(effect), status;
        for (ULONGLONG until = GetTickCount64() + 5000; GetTickCount64() < until; Pump(100))
            if ((status = kCases[i].status()).find(expected) == 0) break;
        EXPECT_EQ(status.find(expected), 0u) << status;
    }
    for (size_t effect : {0, 1})
        EXPECT_EQ(Count(install->Log(), "start " + Narrow(install->Path(effect)) + " (remote)"), 2u) << install->Log();
    int entry = 9;
    EXPECT_EQ(OscReplyText(osc.Ask(OscMessage("/pavora/play", &entry))), "/pavora/error play no entry 9 in the playlist");
    EXPECT_EQ(tcp.Ask("PLAY 9"), "ERR no entry 9 in the playlist");

    std::string pushed;
    while (tcp.ReadLine(pushed, 500, true)) {
    }
    install->Launcher().Timer(2);  // the entry's time is up: the rotation steps by itself
    while (tcp.ReadLine(pushed, 5000, true) && pushed.find(line(0)) != 0) {
    }
    EXPECT_EQ(pushed.find(line(0)), 0u) << pushed;
}

// A sender outside the allow-list changes nothing on any transport, and is logged once a minute.
TEST(RemoteText, SendersOutsideTheAllowListChangeNothing)
{
    auto install = RemoteInstall(L"RemoteRefused", "allow=127.0.0.2\r\ntcp=18105\r\nudp=18106\r\nosc=18107\r\n");
    ASSERT_NO_FATAL_FAILURE(StartRotation(*install));
    RemotePeer tcp(SOCK_STREAM, 18105), udp(SOCK_DGRAM, 18106), osc(SOCK_DGRAM, 18107);
    std::string line;
    EXPECT_TRUE(tcp.Send("NEXT\r\n") && tcp.ReadLine(line, 5000));
    EXPECT_EQ(line, "ERR not allowed");
    EXPECT_TRUE(tcp.Closed(5000));
    EXPECT_TRUE(udp.Send("NEXT") && osc.Send(OscMessage("/pavora/next")));
    EXPECT_EQ(udp.Receive(1500) + osc.Receive(500), "") << "no answer";
    EXPECT_EQ(install->Starts(1).size(), 0u) << install->Log();
    EXPECT_EQ(Count(install->Log(), "remote control: refused"), 1u) << install->Log();
    EXPECT_NE(install->Log().find("refused tcp 127.0.0.1, not in allow (127.0.0.2)"), std::string::npos);
}

// Sixteen peers at most; a long line is refused without effect, a peer that trickles its line
// in soon loses its slot; and the launcher still ends at once with every peer connected.
TEST(RemoteText, SixteenTcpPeersAreServedAndNoSlowOrLongLineHoldsASlot)
{
    auto install = RemoteInstall(L"RemotePeers", "tcp=18108\r\n");
    ASSERT_NO_FATAL_FAILURE(install->Start());
    std::vector<std::unique_ptr<RemotePeer>> peers;
    for (int i = 0; i < 17; ++i) peers.emplace_back(new RemotePeer(SOCK_STREAM, 18108));
    for (int i = 0; i < 16; ++i) EXPECT_EQ(peers[i]->Ask("STATUS?").find("STATUS state=stopped"), 0u) << i;
    std::string line;
    EXPECT_TRUE(peers[16]->ReadLine(line, 5000));
    EXPECT_EQ(line, "ERR busy");
    EXPECT_TRUE(peers[16]->Closed(5000));

    EXPECT_EQ(peers[0]->Ask(std::string(3000, 'N') + " START"), "ERR line too long");
    EXPECT_EQ(peers[0]->Ask("START"), "OK") << "the peer stays; the rest of the long line was skipped";
    ASSERT_TRUE(install->WaitForStarts(0, 1, 10000));
    Pump(500);
    EXPECT_EQ(Count(install->Log(), "remote: start"), 1u) << install->Log();

    RemotePeer& slow = *peers[1];
    ULONGLONG first = GetTickCount64();
    for (const char* byte = "STATUS?"; *byte; ++byte)
        if (slow.Send(std::string(1, *byte)) && slow.ReadLine(line, 1000)) break;
    EXPECT_EQ(line, "ERR line not ended within 5 s");
    EXPECT_TRUE(slow.Closed(2000));
    EXPECT_LT(GetTickCount64() - first, 7000u);
    RemotePeer next(SOCK_STREAM, 18108);
    EXPECT_EQ(next.Ask("STATUS?").find("STATUS state=playing"), 0u) << "the slow peer's slot is free";

    install->Launcher().Command(kMenuExit);
    EXPECT_TRUE(WaitForExit(install->Launcher().Process(), 5000)) << "ends with 16 peers connected";
}

// A flood from an allowed address: a burst and a few commands a second reach the bar, the
// rest are answered "too many commands"; the bar keeps answering and an effect keeps playing.
TEST(RemoteText, AThousandUdpCommandsASecondLeaveTheBarAnsweringAndAnEffectPlaying)
{
    auto install = RemoteInstall(L"RemoteFlood", "udp=18109\r\n");
    ASSERT_NO_FATAL_FAILURE(StartRotation(*install));
    RemotePeer flood(SOCK_DGRAM, 18109);
    size_t sent = 0, done = 0, refused = 0;
    DWORD slowest = 0;
    auto take = [&](DWORD waitMs) {
        for (std::string answer; !(answer = flood.Receive(waitMs)).empty();) ++(answer == "OK\r\n" ? done : refused);
    };
    ULONGLONG start = GetTickCount64();
    while (sent < 3000) {
        for (ULONGLONG due = GetTickCount64() - start + 1; sent < due && sent < 3000; ++sent) flood.Send("NEXT");
        take(0);
        DWORD_PTR result;
        ULONGLONG asked = GetTickCount64();
        EXPECT_NE(SendMessageTimeoutW(install->Launcher().Bar(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result), 0);
        slowest = std::max(slowest, static_cast<DWORD>(GetTickCount64() - asked));
        Sleep(10);
    }
    take(1000);
    ULONGLONG seconds = (GetTickCount64() - start) / 1000 + 1;
    std::printf("UDP flood: %zu sent, %zu done and %zu too many answered within %llu s; the bar answered within %lu ms\n",
                sent, done, refused, seconds, slowest);
    // UDP drops what a full buffer cannot hold: only the answers that came are counted.
    EXPECT_LE(done, 10 + 5 * seconds);
    EXPECT_GT(refused, done);
    EXPECT_LT(slowest, 1000u);
    Pump(3000);
    bool shows = false;
    for (const wchar_t* title : {L"fxSvA", L"fxSvB"}) shows = shows || IsWindowVisible(FindWindowW(nullptr, title));
    EXPECT_TRUE(shows) << "an effect plays after the flood\n" << install->Log();
    EXPECT_EQ(Count(install->Log(), "too many commands"), 1u) << "noted once a minute";
}

}  // namespace
