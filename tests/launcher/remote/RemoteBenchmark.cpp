// Remote command to the next effect's window, per transport: NEXT sent 20 times to a launcher
// whose rotation plays two stand-in effects, from the send to the moment the window of the
// entry it steps to showed (the stand-in notes that tick). Median and worst beside the goal
// of 1 s. Prints; fails only when a transport that listens did not step every time.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "tests/support/RemotePeers.h"

using namespace e2e;
using namespace testing_support;

int wmain()
{
    const int kRuns = 20;
    auto install = RemoteInstall(L"RemoteBenchmark",
                                 "password=bench\r\nhttp=18190\r\ntcp=18191\r\nudp=18192\r\nosc=18193\r\n");
    install->Start();
    install->Launcher().Command(kRotationButton);
    if (!install->Launcher().Bar() || !install->WaitForStarts(0, 1, 10000)) return 1;
    RemotePeer tcp(SOCK_STREAM, 18191), udp(SOCK_DGRAM, 18192), osc(SOCK_DGRAM, 18193);
    // The answer: "ok", or "off" when nothing listens (the HTTP row of a build without it).
    const std::pair<const char*, std::function<std::string()>> kTransports[] = {
        {"tcp", [&] { return tcp.Ask("NEXT") == "OK" ? "ok" : "refused"; }},
        {"udp", [&] { return udp.Ask("NEXT") == "OK\r\n" ? "ok" : "refused"; }},
        {"osc", [&] { return OscReplyText(osc.Ask(OscMessage("/pavora/next"))).find("/pavora/state") ? "refused" : "ok"; }},
        {"http",
         [] {
             // Basic authentication as "pavora:bench".
             RemotePeer http(SOCK_STREAM, 18190);
             std::string status;
             if (!http.Send("POST /api/command HTTP/1.1\r\nHost: 127.0.0.1\r\nAuthorization: Basic cGF2b3JhOmJlbmNo\r\n"
                            "Content-Type: application/json\r\nContent-Length: 19\r\nConnection: close\r\n\r\n"
                            "{\"command\": \"next\"}"))
                 return "off";
             return http.ReadLine(status, 10000, true) && status.find(" 200 ") != std::string::npos ? "ok" : "refused";
         }},
    };
    int failed = 0;
    size_t playing = 0;
    std::printf("Remote command to the next effect visible (ms, %d runs, goal 1000):\n", kRuns);
    for (const auto& transport : kTransports) {
        std::vector<long> times;
        std::string answer = "ok";
        while (times.size() < static_cast<size_t>(kRuns) && answer == "ok") {
            size_t target = 1 - playing, before = install->Starts(target).size();
            ULONGLONG sent = GetTickCount64();
            if ((answer = transport.second()) != "ok" || !install->WaitForStarts(target, before + 1, 10000)) break;
            times.push_back(static_cast<long>(install->Starts(target)[before].tick - sent));
            playing = target;
            Pump(300);  // the step before is over, and well within the rate a sender may have
        }
        std::sort(times.begin(), times.end());
        if (answer == "off")
            std::printf("  %-4s not listening in this build\n", transport.first);
        else if (times.size() < static_cast<size_t>(kRuns) && ++failed)
            std::printf("  %-4s stepped %zu of %d times (%s)\n", transport.first, times.size(), kRuns, answer.c_str());
        else
            std::printf("  %-4s median %ld worst %ld%s\n", transport.first, times[kRuns / 2], times.back(),
                        times.back() <= 1000 ? "" : "  above the goal");
    }
    std::fflush(stdout);
    return failed ? 1 : 0;
}
