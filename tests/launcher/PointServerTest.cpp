// The library's point server as the real launcher runs it on its fixed port.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/PeerTraffic.h"
#include "tests/support/LauncherHarness.h"

using namespace e2e;
using namespace testing_support;

namespace {

const char kConfig[] = "[config]\r\nauto=0\r\nDEVICETYPE=0\r\ncheck360 =0\r\n";

// Sends `bytes`, closes the sending side and reports what came back before the server's close.
int ReplyBytesBeforeClose(SOCKET s, size_t bytes)
{
    std::string data(bytes, 'd');
    for (size_t sent = 0; sent < bytes;) {
        int count = send(s, data.data() + sent, static_cast<int>(bytes - sent), 0);
        if (count <= 0) return -1;
        sent += static_cast<size_t>(count);
    }
    shutdown(s, SD_SEND);
    int reply = 0;
    for (int seen; (seen = PeerSees(s, 10000)) == 1;) ++reply;
    return reply;
}

// Time from the close request to the end of the process.
DWORD CloseAndTime(RunningLauncher& launcher)
{
    DWORD start = GetTickCount();
    launcher.Post(WM_CLOSE);
    WaitForExit(launcher.Process(), 20000);
    return GetTickCount() - start;
}

}  // namespace

TEST(PointServer, HoldsSilentPeersAndDrainsOthersWithoutReply)
{
    Winsock winsock;
    StagedInstall install(L"PointServerPeers");
    install.WriteConfig(kConfig);
    std::wstring title = install.UseUniqueTitle();
    RunningLauncher launcher(install, title);
    ASSERT_NE(launcher.Bar(), nullptr);

    SOCKET silent = ConnectLoopback(kServerPort), talker = ConnectLoopback(kServerPort);
    ASSERT_NE(silent, INVALID_SOCKET);
    ASSERT_NE(talker, INVALID_SOCKET);
    EXPECT_EQ(ReplyBytesBeforeClose(talker, 300000), 0);
    EXPECT_EQ(PeerSees(silent, 500), -1);
    closesocket(talker);
    closesocket(silent);
    EXPECT_TRUE(launcher.Sync());
}

// Someone else holds the port: the launcher starts as always, without a word, its
// exports work, and the other program keeps its port.
TEST(PointServer, ATakenPortLeavesTheLauncherWorking)
{
    Winsock winsock;
    SOCKET owner = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(kServerPort);
    ASSERT_EQ(bind(owner, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0)
        << "port " << kServerPort << " is in use already";
    ASSERT_EQ(listen(owner, SOMAXCONN), 0);

    StagedInstall install(L"PointServerPortTaken");
    install.WriteConfig(kConfig);
    std::wstring title = install.UseUniqueTitle();
    RunningLauncher launcher(install, title, IDYES);
    ASSERT_NE(launcher.Bar(), nullptr);
    EXPECT_TRUE(install.MessageBoxes().empty());

    // The tray menu's reset, answered yes, goes through the library's Reset export and its box.
    launcher.Command(kMenuReset, 0);
    ASSERT_TRUE(install.WaitForMessageBoxes(2, 10000));
    EXPECT_EQ(install.MessageBoxes()[1].text, L"恢复默认配置成功\n请重启软件");
    EXPECT_TRUE(launcher.Sync());

    SOCKET peer = ConnectLoopback(kServerPort);
    ASSERT_NE(peer, INVALID_SOCKET);
    SOCKET accepted = accept(owner, nullptr, nullptr);
    EXPECT_NE(accepted, INVALID_SOCKET);
    closesocket(accepted);
    closesocket(peer);
    closesocket(owner);
}

// The process ends as quickly with peers connected, some of them sending, as without:
// its unload does not wait for the peers' threads, which the system has already ended.
TEST(PointServer, ExitWithPeersConnectedIsNotHeldUp)
{
    Winsock winsock;
    StagedInstall install(L"PointServerExit");
    install.WriteConfig(kConfig);
    std::wstring title = install.UseUniqueTitle();

    DWORD withoutPeers = 0, withPeers = 0;
    {
        RunningLauncher launcher(install, title);
        ASSERT_NE(launcher.Bar(), nullptr);
        withoutPeers = CloseAndTime(launcher);
    }
    IdlePeers peers;
    {
        RunningLauncher launcher(install, title);
        ASSERT_NE(launcher.Bar(), nullptr);
        ASSERT_EQ(peers.Add(kServerPort, 40), 40);
        std::string data(100000, 'x');
        SOCKET busy = ConnectLoopback(kServerPort);
        send(busy, data.data(), static_cast<int>(data.size()), 0);
        ProcessProbe probe(launcher.Process(), "PointServerExit\\Pavora.exe");
        WaitUntil([&] { return probe.Threads() >= 40; }, 10000);
        withPeers = CloseAndTime(launcher);
        EXPECT_FALSE(launcher.Alive());
        closesocket(busy);
    }
    EXPECT_EQ(peers.ClosedByServer(), 40);
    EXPECT_LT(withPeers, withoutPeers + 1000) << withPeers << " ms with peers, " << withoutPeers << " ms without";
}
