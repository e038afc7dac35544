// What months of unattended play meet: programs that cannot start, the watchdog during a
// retry, effects that share a program name, a playlist spoilt by a hand edit.
#include <gtest/gtest.h>

#include "tests/support/SupervisedInstall.h"

using namespace e2e;

namespace {

const char kQuick[] = "hangseconds=2\r\ngraceseconds=1\r\n";
constexpr UINT_PTR kWatchdogTimer = 3;
constexpr UINT_PTR kRetryTimer = 5;
constexpr UINT_PTR kStandbyTimer = 7;

HWND StandbyWindow()
{
    HWND standby = FindWindowW(L"PavoraStandby", nullptr);
    return standby && IsWindowVisible(standby) ? standby : nullptr;
}

}  // namespace

// A program that cannot start is its entry's failure: the rotation goes on to the next entry
// at once, and with none left that can start, the standby covers the desktop.
TEST(UnattendedPlay, AProgramThatCannotStartIsPassedOverAndStandbyShowsWhenNoneCan)
{
    SupervisedInstall install(L"UnattendedStartFails", {{""}, {""}, {""}}, kQuick);
    install.PutBrokenProgram(0);
    ASSERT_NO_FATAL_FAILURE(install.Start());
    install.Launcher().Command(kRotationButton);
    ASSERT_TRUE(install.WaitForStarts(1, 1, 5000)) << install.Log();
    EXPECT_TRUE(install.WaitForLog("fxSvA.exe: ", 2000)) << install.Log();
    EXPECT_NE(install.Log().find("could not start "), std::string::npos) << install.Log();

    // Every program spoilt: standby, not the desktop, and back once one is whole again.
    install.Launcher().Command(kRotationButton);
    ASSERT_TRUE(install.Launcher().Sync());
    ASSERT_TRUE(WaitForProcessCount(install.Image(1), 0, 5000));
    install.PutBrokenProgram(1);
    install.PutBrokenProgram(2);
    install.Launcher().Command(kRotationButton);
    ASSERT_TRUE(install.WaitForLog("standby on", 5000)) << install.Log();
    EXPECT_NE(StandbyWindow(), nullptr);
    install.PutProgram(2);
    install.Launcher().Timer(kStandbyTimer);
    EXPECT_TRUE(install.WaitForStarts(2, 1, 5000)) << install.Log();
    EXPECT_TRUE(install.WaitForLog("standby off", 2000)) << install.Log();
}

// With nothing ever set aside, a rotation whose every entry fails at once waits on standby
// before each new pass, longer each time, instead of starting programs nonstop.
TEST(UnattendedPlay, WithoutQuarantineAPassThatFailsWholeWaitsOnStandby)
{
    SupervisedInstall install(L"UnattendedNoQuarantine", {{"crashcode 200"}, {"crashcode 200"}},
                              std::string(kQuick) + "quarantineminutes=0\r\n");
    ASSERT_NO_FATAL_FAILURE(install.Start());
    install.Launcher().Command(kRotationButton);
    ASSERT_TRUE(install.WaitForLog("next pass of the rotation in 2 s", 8000)) << install.Log();
    EXPECT_NE(StandbyWindow(), nullptr);
    Pump(1000);
    EXPECT_EQ(install.Starts(0).size() + install.Starts(1).size(), 2u) << install.Log();
    ASSERT_TRUE(install.WaitForLog("next pass of the rotation in 4 s", 8000)) << install.Log();
    EXPECT_EQ(install.Starts(0).size() + install.Starts(1).size(), 4u) << install.Log();
}

// The 20-minute watchdog firing in the pause before a lone effect's next try leaves that try
// in place; a program that cannot start is tried again after a pause too.
TEST(UnattendedPlay, ALoneEffectIsTriedAgainAfterItsPausesWhateverTheWatchdogDoes)
{
    SupervisedInstall install(L"UnattendedLone", {{"crashcode 300", true, L"lone\\effect.exe"}},
                              std::string(kQuick) + "retries=1\r\n");
    ASSERT_NO_FATAL_FAILURE(install.Start());
    ASSERT_TRUE(install.WaitForLog("next try in 2 s", 8000)) << install.Log();
    install.Launcher().Timer(kWatchdogTimer);
    ASSERT_TRUE(install.Launcher().Sync());
    ASSERT_TRUE(install.WaitForStarts(0, 2, 8000)) << install.Log();

    ASSERT_TRUE(install.WaitForLog("next try in 4 s", 8000)) << install.Log();
    install.PutBrokenProgram(0);
    install.Launcher().Timer(kRetryTimer);
    ASSERT_TRUE(install.WaitForLog("could not start ", 3000)) << install.Log();
    install.SetFault(0, "");
    install.PutProgram(0);
    install.Launcher().Timer(kRetryTimer);
    EXPECT_TRUE(install.WaitForStarts(0, 3, 5000)) << install.Log();
}

// Native effects all carry one program name: a program of that name that ran before the
// effect started (one on its way out, another installation's) is not the effect, and its
// fate must not speak for the effect's.
TEST(UnattendedPlay, AnEarlierProgramOfTheSameNameIsNotTakenForTheEffect)
{
    SupervisedInstall install(L"UnattendedSameName", {{"once crashcode 1500", true, L"lone\\effect.exe"}}, kQuick);
    std::wstring other = install.Install().Path(L"effects\\other\\effect.exe");
    CreateDirectoryW(install.Install().Path(L"effects\\other").c_str(), nullptr);
    ASSERT_TRUE(CopyFileW((BinFolder() + L"\\pavora_faulty_effect.exe").c_str(), other.c_str(), FALSE));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION earlier = {};
    std::wstring command = L"\"" + other + L"\"";
    ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &earlier));
    CloseHandle(earlier.hThread);
    Pump(500);

    ASSERT_NO_FATAL_FAILURE(install.Start());
    ASSERT_TRUE(install.WaitForStarts(0, 1, 5000)) << install.Log();
    EXPECT_TRUE(install.WaitForLog("exception 0xC0000005", 6000)) << install.Log();
    EXPECT_TRUE(install.WaitForStarts(0, 2, 5000)) << "the crashed effect comes back\n" << install.Log();
    EXPECT_EQ(WaitForSingleObject(earlier.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the other one runs on";
    TerminateProcess(earlier.hProcess, 0);
    CloseHandle(earlier.hProcess);
}

// A hand edit with one bad character: the log says which file and why, standby shows where
// the rotation would play, and the file stays as the operator left it.
TEST(UnattendedPlay, AMainPlaylistThatDoesNotReadIsLoggedKeptAndCoveredByStandby)
{
    StagedInstall install(L"UnattendedBadPlaylist");
    std::wstring title = install.UseUniqueTitle();
    install.WriteConfig("[config]\r\nauto=1\r\nDEVICETYPE=0\r\ncheck360 =0\r\n");
    const std::string spoilt =
        "<Effects><Effect><file>effects\\Ripples\\effect.exe</file><time>1</time></Effect>"
        "<Effect><file>effects\\Aurora\\Aurora.cmd</file><time>1</tim></Effect></Effects>";
    WriteBytes(install.Path(L"data\\EffectPath.xml"), spoilt);
    RunningLauncher launcher(install, title);
    ASSERT_NE(launcher.Bar(), nullptr);
    ASSERT_TRUE(launcher.Sync());
    std::string log = ReadBytes(install.Path(L"log\\pavora.log"));
    EXPECT_NE(log.find("playlist data\\EffectPath.xml could not be read: line 1"), std::string::npos) << log;
    EXPECT_NE(log.find("standby on"), std::string::npos) << log;
    EXPECT_NE(StandbyWindow(), nullptr);
    EXPECT_EQ(ReadBytes(install.Path(L"data\\EffectPath.xml")), spoilt);
}
