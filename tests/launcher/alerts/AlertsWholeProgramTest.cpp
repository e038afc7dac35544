// The real launcher tells a webhook on loopback that an effect crashed, signed, and keeps a
// picture of the projection in log\shots (where the screen can be read: under a virtual display;
// under the headless driver it says once that it cannot).
#include <windows.h>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "launcher/alerts/WebhookSignature.h"
#include "tests/support/SupervisedInstall.h"
#include "tests/support/WebhookReceiver.h"

using namespace e2e;

namespace {

std::vector<std::wstring> Shots(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*.png").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do names.push_back(found.cFileName);
    while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

TEST(AlertsWholeProgram, ACrashIsPostedSignedAndPictured)
{
    testing_support::WebhookReceiver receiver;
    std::string port = std::to_string(receiver.Port());
    SupervisedInstall install(L"AlertsCrash", {{"crashcode 1500"}, {""}},
                              "hangseconds=2\r\ngraceseconds=1\r\n[alerts]\r\nwebhook=http://127.0.0.1:" + port +
                                  "/hook\r\nsecret=wall seven\r\n");
    // Pictures of earlier failures, more than are kept: the oldest go when a new one comes.
    std::wstring shots = install.Install().Path(L"log\\shots");
    CreateDirectoryW(install.Install().Path(L"log").c_str(), nullptr);
    CreateDirectoryW(shots.c_str(), nullptr);
    for (int i = 10; i < 65; ++i) WriteBytes(shots + L"\\2000-01-01_0000" + std::to_wstring(i) + L"_hang.png", "old");
    ASSERT_NO_FATAL_FAILURE(install.Start());
    install.Launcher().Command(kRotationButton);
    ASSERT_TRUE(install.WaitForStarts(1, 1, 20000)) << install.Log();

    std::vector<testing_support::WebhookPost> posts = receiver.WaitFor(2, 15000);
    ASSERT_GE(posts.size(), 2u) << install.Log();
    nlohmann::json started = nlohmann::json::parse(posts[0].body);
    nlohmann::json failed = nlohmann::json::parse(posts[1].body);
    EXPECT_EQ(started["event"], "alive");
    EXPECT_EQ(failed["event"], "effect failed");
    EXPECT_EQ(failed["reason"], "crash");
    EXPECT_NE(failed["effect"].get<std::string>().find("fxSvA.exe"), std::string::npos) << failed.dump();
    EXPECT_FALSE(failed["host"].get<std::string>().empty());
    EXPECT_FALSE(failed["version"].get<std::string>().empty());
    for (const auto& post : posts) EXPECT_EQ(post.signature, alerts::WebhookSignature("wall seven", post.body));
    EXPECT_TRUE(install.WaitForLog("alerts go to http://127.0.0.1:" + port, 1000)) << install.Log();
    EXPECT_EQ(install.Log().find("/hook"), std::string::npos) << "a webhook's path may be its token: never logged";

    auto noScreen = [&] { return install.Log().find("no picture of the projection") != std::string::npos; };
    for (int i = 0; i < 100 && Shots(shots).size() == 55 && !noScreen(); ++i) Sleep(100);
    std::vector<std::wstring> names = Shots(shots);
    if (noScreen()) {
        EXPECT_EQ(names.size(), 55u) << "nothing taken, nothing pruned";
        return;
    }
    ASSERT_EQ(names.size(), 50u) << install.Log();
    EXPECT_EQ(names.front(), L"2000-01-01_000016_hang.png") << "the oldest six went";
    std::wstring ours = names.back();
    EXPECT_EQ(ours.size(), std::wstring(L"2026-12-10_101502_crash.png").size());
    EXPECT_EQ(ours.substr(ours.size() - 10), L"_crash.png");
    std::string png = ReadBytes(shots + L"\\" + ours);
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    EXPECT_TRUE(FileExists(install.Install().Path(L"log\\screen.png"))) << "taken at the start, refreshed each minute";
    // For someone to look at: the test's folder goes with the next run.
    if (const char* keep = getenv("PAVORA_KEEP_SHOT"))
        CopyFileW((shots + L"\\" + ours).c_str(), std::wstring(keep, keep + strlen(keep)).c_str(), FALSE);
}

}  // namespace
