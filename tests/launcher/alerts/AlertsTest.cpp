// Telling someone: the body, its signature, the throttle on a clock of the test's own, and a
// webhook that was down (and a launcher restarted meanwhile) still getting every event in order.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "framework/Handles.h"
#include "launcher/alerts/AlertSender.h"
#include "launcher/alerts/AlertSettings.h"
#include "launcher/alerts/AlertThrottle.h"
#include "launcher/alerts/LauncherNotices.h"
#include "launcher/alerts/WebhookSignature.h"
#include "tests/support/Loopback.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WebhookReceiver.h"

using alerts::AlertEvent;
using alerts::AlertKind;
using alerts::AlertSender;
using alerts::AlertSettings;
using testing_support::TempFolder;
using testing_support::WebhookReceiver;

namespace {

constexpr unsigned long long kHour = 60ull * 60 * 1000;

struct Webhook : ::testing::Test {
    TempFolder folder;
    std::vector<std::wstring> logged;
    std::mutex logLock;
    unsigned long long now = 5000;  // the throttle's clock

    std::wstring QueueFile() const { return folder.Path() + L"\\data\\alerts.json"; }

    std::unique_ptr<AlertSender> Sender(const std::wstring& webhook, const std::string& secret = "",
                                        unsigned maxPerHour = 12, unsigned long long aliveEveryMs = 0)
    {
        AlertSettings settings{webhook, secret, maxPerHour, {}};
        AlertSender::Options options{100, 400, 3000, [this] { return now; }, aliveEveryMs};
        auto log = [this](const std::wstring& line) {
            std::lock_guard<std::mutex> hold(logLock);
            logged.push_back(line);
        };
        return std::make_unique<AlertSender>(settings, alerts::AlertOrigin{L"WALL-7", L"C:\\Pavora", "3.1.0"},
                                             QueueFile(), log, options);
    }

    static std::vector<nlohmann::json> Bodies(const std::vector<testing_support::WebhookPost>& posts)
    {
        std::vector<nlohmann::json> bodies;
        for (const auto& post : posts) bodies.push_back(nlohmann::json::parse(post.body));
        return bodies;
    }
};

TEST(AlertSignature, MatchesTheHmacReferenceValues)
{
    // RFC 4231 cases 1 and 2, and an empty key.
    struct Case {
        std::string key, data, hex;
    } cases[] = {
        {std::string(20, '\x0b'), "Hi There", "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7"},
        {"Jefe", "what do ya want for nothing?", "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
        {"", "", "b613679a0814d9ec772f95d778c35fc5ff1697c493715653c6c712144292c5ad"},
    };
    for (const auto& c : cases) EXPECT_EQ(alerts::WebhookSignature(c.key, c.data), "sha256=" + c.hex) << c.data;
}

TEST(AlertThrottle, CountsTheOnesOverTheLimitIntoTheNextAndNeverHoldsBackTheWayBack)
{
    alerts::AlertThrottle throttle(2);
    unsigned long long t = 5000;
    EXPECT_TRUE(throttle.Pass(AlertKind::EffectFailed, t).send);
    EXPECT_TRUE(throttle.Pass(AlertKind::EffectFailed, t + 1).send);
    EXPECT_FALSE(throttle.Pass(AlertKind::EffectFailed, t + 2).send);
    EXPECT_FALSE(throttle.Pass(AlertKind::EffectFailed, t + 3).send);
    EXPECT_TRUE(throttle.Pass(AlertKind::ProjectorError, t + 3).send) << "a limit of its own";
    // An hour after the first one, a place frees and carries the count.
    auto later = throttle.Pass(AlertKind::EffectFailed, t + kHour);
    EXPECT_TRUE(later.send);
    EXPECT_EQ(later.suppressed, 2u);
    EXPECT_EQ(throttle.Pass(AlertKind::EffectFailed, t + kHour + 2).suppressed, 0u) << "a full window again";

    // A flapping standby: the "off" always goes, even with the "on"s over the limit, and
    // takes neither their places nor their count.
    int ons = 0;
    for (int i = 0; i < 5; ++i) {
        ons += throttle.Pass(AlertKind::StandbyOn, t + i).send;
        auto off = throttle.Pass(AlertKind::StandbyOff, t + i);
        EXPECT_TRUE(off.send && off.suppressed == 0) << i;
        EXPECT_TRUE(throttle.Pass(AlertKind::SetAsideBack, t + i).send) << i;
    }
    EXPECT_EQ(ons, 2);
    EXPECT_EQ(throttle.Pass(AlertKind::StandbyOn, t + kHour).suppressed, 3u);
}

TEST(AlertSettings, TakesOnlyWebAddressesAndHoldsTheLimitInRange)
{
    TempFolder folder;
    struct Case {
        const char* ini;
        const wchar_t* webhook;
        unsigned maxPerHour;
    } cases[] = {
        {"", L"", 12},
        {"webhook=HTTPS://hooks.example.org/T0\nsecret=s3\nmaxperhour=30\n", L"HTTPS://hooks.example.org/T0", 30},
        {"webhook=ftp://example.org/x\n", L"", 12},
        {"webhook=\\\\server\\share\nmaxperhour=0\n", L"", 1},
    };
    for (const auto& c : cases) {
        std::wstring file = folder.WriteFile(L"config.ini", std::string("[alerts]\n") + c.ini);
        AlertSettings s = AlertSettings::Read(file.c_str());
        EXPECT_EQ(s.webhook, c.webhook) << c.ini;
        EXPECT_EQ(s.maxPerHour, c.maxPerHour) << c.ini;
        EXPECT_EQ(s.notes.empty(), c.ini == std::string("") || c.maxPerHour == 30) << c.ini;
    }
}

TEST_F(Webhook, PostsSignedBodiesWithEveryFieldAndPairsInOrder)
{
    WebhookReceiver receiver;
    auto sender = Sender(receiver.Address(), "hook secret", 1);
    sender->Tell({AlertKind::EffectFailed, L"C:\\Effects\\Wave.exe", L"crash"});
    sender->Tell({AlertKind::StandbyOn, L"", L"schedule"});
    sender->Tell({AlertKind::StandbyOff, L"", L"schedule"});
    sender->Tell({AlertKind::SetAside, L"C:\\Effects\\Wave.exe", L"3 failures in 10 min"});
    sender->Tell({AlertKind::SetAsideBack, L"C:\\Effects\\Wave.exe", L"operator"});
    // Over the limit (1 an hour here): held back, then counted into the next one an hour on.
    sender->Tell({AlertKind::EffectFailed, L"C:\\Effects\\Wave.exe", L"hang"});
    sender->Tell({AlertKind::EffectFailed, L"C:\\Effects\\Wave.exe", L"black"});
    now += kHour;
    sender->Tell({AlertKind::EffectFailed, L"C:\\Effects\\Wave.exe", L"frozen"});

    auto posts = receiver.WaitFor(6);
    ASSERT_EQ(posts.size(), 6u);
    EXPECT_EQ(nlohmann::json::parse(posts[5].body)["reason"], "frozen");
    EXPECT_EQ(nlohmann::json::parse(posts[5].body)["suppressed"], 2);
    auto bodies = Bodies(posts);
    const char* events[] = {"effect failed", "standby on", "standby off", "entry set aside", "entry back"};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(bodies[i]["event"], events[i]);
        EXPECT_EQ(posts[i].signature, alerts::WebhookSignature("hook secret", posts[i].body)) << "signed as sent";
        EXPECT_EQ(posts[i].path + " " + posts[i].contentType, "/hook application/json");
        EXPECT_EQ(bodies[i]["host"].get<std::string>() + " " + bodies[i]["installation"].get<std::string>() + " " +
                      bodies[i]["version"].get<std::string>(),
                  "WALL-7 C:\\Pavora 3.1.0");
        EXPECT_EQ(bodies[i]["time"].get<std::string>().size(), 20u) << bodies[i]["time"];
        EXPECT_FALSE(bodies[i].contains("suppressed"));
    }
    EXPECT_EQ(bodies[0]["effect"].get<std::string>() + " " + bodies[0]["reason"].get<std::string>(),
              "C:\\Effects\\Wave.exe crash");
}

TEST_F(Webhook, AWebhookThatWasDownGetsEverythingAfterALauncherRestart)
{
    uint16_t port = testing_support::UnusedLoopbackPort();
    ASSERT_NE(port, 0);
    std::wstring address = L"http://127.0.0.1:" + std::to_wstring(port) + L"/hook";
    {
        auto first = Sender(address);
        first->Tell({AlertKind::EffectFailed, L"Wave.exe", L"crash"});
        first->Tell({AlertKind::StandbyOn, L"", L"schedule"});
        Sleep(500);  // the first try and a retry fail
        EXPECT_EQ(first->Waiting(), 2u);
    }  // the launcher ends with both undelivered
    {
        ASSERT_GE(logged.size(), 2u);
        EXPECT_NE(logged[0].find(L"alert not delivered to http://127.0.0.1:" + std::to_wstring(port) + L"/…:"), std::wstring::npos) << logged[0];
        EXPECT_NE(logged[0].find(L"next try in"), std::wstring::npos) << logged[0];
    }

    // The webhook comes back, failing once with a 500 before it takes them.
    WebhookReceiver receiver(port, 500);
    ASSERT_EQ(receiver.Port(), port);
    auto second = Sender(address);
    second->Tell({AlertKind::StandbyOff, L"", L"schedule"});
    receiver.WaitFor(1);
    receiver.AnswerWith(200);
    auto posts = receiver.WaitFor(4);
    auto bodies = Bodies(posts);
    ASSERT_EQ(bodies.size(), 4u);
    const char* events[] = {"effect failed", "effect failed", "standby on", "standby off"};
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(bodies[i]["event"], events[i]) << i;
    EXPECT_TRUE(posts[3].signature.empty()) << "no secret, no signature";
}

// The launcher's own notices: an "alive" at its start, a projector's trouble once when it
// begins (and again only after it was over), and the daily "alive".
TEST_F(Webhook, TellsAProjectorsTroubleOnceAndIsAliveDaily)
{
    WebhookReceiver receiver;
    std::wstring config =
        folder.WriteFile(L"config.ini", "[alerts]\nwebhook=http://127.0.0.1:" + std::to_string(receiver.Port()) + "/hook\n");
    {
        alerts::LauncherNotices notices(nullptr, folder.Path(), config.c_str(), [](const std::wstring&) {});
        supervision::ProjectorReport silent, fine, lamp, other;
        silent.address = fine.address = lamp.address = L"10.0.0.7:4352";
        silent.problem = L"timed out";
        fine.answered = lamp.answered = other.answered = true;
        lamp.errors = "020000";
        other.address = L"10.0.0.8:4352";
        for (const auto& survey : {silent, silent, fine, lamp, lamp}) notices.ProjectorsSurveyed({survey, other});
        auto bodies = Bodies(receiver.WaitFor(3));
        ASSERT_EQ(bodies.size(), 3u);
        EXPECT_EQ(bodies[0]["event"].get<std::string>() + ": " + bodies[0]["reason"].get<std::string>(), "alive: launcher started");
        EXPECT_EQ(bodies[1]["reason"], "no answer: timed out");
        EXPECT_EQ(bodies[2]["event"].get<std::string>() + " " + bodies[2]["effect"].get<std::string>() + ": " +
                      bodies[2]["reason"].get<std::string>(),
                  "projector error 10.0.0.7:4352: error status 020000");
    }
    auto sender = Sender(receiver.Address(), "", 12, 300);
    auto bodies = Bodies(receiver.WaitFor(5, 5000));
    ASSERT_EQ(bodies.size(), 5u) << "two a day apart, a day being 300 ms here";
    for (size_t i : {3, 4}) EXPECT_EQ(bodies[i]["event"].get<std::string>() + ": " + bodies[i]["reason"].get<std::string>(), "alive: daily") << "no trouble told twice";
}

// A webhook that takes the connection and never answers must not hold the launcher's exit.
TEST_F(Webhook, ASilentWebhookDoesNotHoldTheEnd)
{
    testing_support::Winsock winsock;
    uint16_t port = 0;
    SOCKET silent = testing_support::ListenLoopback(port, 4);
    ASSERT_NE(silent, INVALID_SOCKET);
    ULONGLONG ending;
    {
        auto sender = Sender(L"http://127.0.0.1:" + std::to_wstring(port) + L"/hook");
        sender->Tell({AlertKind::StandbyOn, L"", L"schedule"});
        Sleep(300);  // the post is in flight
        ending = GetTickCount64();
    }
    EXPECT_LT(GetTickCount64() - ending, AlertSender::kEndWaitMs + 500);
    EXPECT_EQ(nlohmann::json::parse(folder.Read(L"data\\alerts.json")).size(), 1u) << "kept for the next launcher";
    // Its thread, left to finish, gives up once the webhook goes; the test's log must outlive it.
    closesocket(silent);
    auto told = [this] {
        std::lock_guard<std::mutex> hold(logLock);
        return !logged.empty();
    };
    for (int i = 0; i < 200 && !told(); ++i) Sleep(50);
    EXPECT_TRUE(told());
    Sleep(100);
}

TEST_F(Webhook, KeepsTheNewestHundredAndSetsADamagedQueueAside)
{
    {
        auto sender = Sender(L"http://127.0.0.1:" + std::to_wstring(testing_support::UnusedLoopbackPort()) + L"/", "",
                             3600);
        for (int i = 0; i < 105; ++i) sender->Tell({AlertKind::Alive, std::to_wstring(i), L""});
        EXPECT_EQ(sender->Waiting(), 100u);
    }
    auto stored = nlohmann::json::parse(folder.Read(L"data\\alerts.json"));
    ASSERT_EQ(stored.size(), 100u);
    EXPECT_EQ(nlohmann::json::parse(stored[0].get<std::string>())["effect"], "5") << "the oldest five went";
    EXPECT_EQ(std::count_if(logged.begin(), logged.end(),
                            [](const std::wstring& l) { return l.find(L"oldest alert was dropped") != l.npos; }),
              5);

    folder.WriteFile(L"data\\alerts.json", "[\"half");
    alerts::AlertQueue queue(QueueFile());
    EXPECT_TRUE(queue.Empty());
    EXPECT_FALSE(queue.LoadProblem().empty());
    EXPECT_EQ(folder.Read(L"data\\alerts.json.bad"), "[\"half");
    // An empty one is what a power cut leaves: set aside too, beside the first, not over it.
    folder.WriteFile(L"data\\alerts.json", "");
    EXPECT_NE(alerts::AlertQueue(QueueFile()).LoadProblem().find(L"is empty; it was kept as"), std::wstring::npos);
    EXPECT_EQ(folder.Read(L"data\\alerts.json.bad"), "[\"half");
    EXPECT_NE(GetFileAttributesW((QueueFile() + L".bad-2").c_str()), INVALID_FILE_ATTRIBUTES);
    // One that can be neither read nor set aside is left as it is, whatever comes after.
    folder.WriteFile(L"data\\alerts.json", "[\"held");
    {
        kit::UniqueHandle held(CreateFileW(QueueFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        alerts::AlertQueue locked(QueueFile());
        EXPECT_NE(locked.LoadProblem().find(L"could not be set aside"), std::wstring::npos) << locked.LoadProblem();
        locked.Push("{}");
    }
    EXPECT_EQ(folder.Read(L"data\\alerts.json"), "[\"held");
}

}  // namespace
