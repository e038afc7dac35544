// The guardian and the launcher as the site has them: the real Pavora.exe and PavoraGuard.exe
// in a staged installation, the launcher crashed, hung and ended from outside.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <cstdlib>

#include "framework/Handles.h"
#include "tests/support/SupervisedInstall.h"

namespace e2e {
namespace {

// An access violation on a thread of its own, as a driver's or an injected DLL's fault would be.
void Crash(HANDLE launcher)
{
    HANDLE thread = CreateRemoteThread(launcher, nullptr, 0,
                                       reinterpret_cast<LPTHREAD_START_ROUTINE>(static_cast<ULONG_PTR>(16)), nullptr,
                                       0, nullptr);
    if (thread) CloseHandle(thread);
}

// Every thread stopped: the bar answers nothing, the process lives.
void Hang(HANDLE launcher)
{
    kit::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot.Get(), &entry); more; more = Thread32Next(snapshot.Get(), &entry)) {
        if (entry.th32OwnerProcessID != GetProcessId(launcher)) continue;
        kit::UniqueHandle thread(OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID));
        if (thread) SuspendThread(thread.Get());
    }
}

void End(HANDLE launcher)
{
    TerminateProcess(launcher, 3);
}

// The launcher of the installation that runs now, other than `not`.
DWORD WaitForLauncher(DWORD not_, DWORD timeoutMs)
{
    ULONGLONG until = GetTickCount64() + timeoutMs;
    do {
        for (DWORD pid : ProcessIds(L"Pavora.exe"))
            if (pid != not_) return pid;
        Sleep(50);
    } while (GetTickCount64() < until);
    return 0;
}

int DumpCount(const StagedInstall& install)
{
    int count = 0;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(install.Path(L"log\\dumps\\Pavora-*.dmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        if (found.nFileSizeLow > 0) ++count;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

class Guardian : public ::testing::Test {
protected:
    void TearDown() override
    {
        KillProcesses(L"PavoraGuard.exe");
        KillProcesses(L"Pavora.exe");
    }
};

TEST_F(Guardian, BringsTheLauncherBackAfterACrashAHangAndAnEndWhileTheRotationPlaysOn)
{
    // Entries of 45 s: every fault below falls inside the first one.
    SupervisedInstall site(L"guardian-faults", {{}, {}}, "hangseconds=30\r\n[guard]\r\nhangseconds=3\r\n", "0.75");
    site.Start();
    site.Launcher().Command(kRotationButton);
    ASSERT_TRUE(site.WaitForStarts(0, 1, 20000));
    const ULONGLONG firstStart = site.Starts(0).front().tick;
    ASSERT_TRUE(WaitForProcessCount(L"PavoraGuard.exe", 1, 10000));
    EXPECT_NE(site.Status().find("\"nextAt\": \""), std::string::npos) << "the entry's end is in the status at once";

    static const struct {
        const char* why;
        void (*inject)(HANDLE launcher);
    } kFaults[] = {{"crash", Crash}, {"hang", Hang}, {"end", End}};
    DWORD launcher = GetProcessId(site.Launcher().Process());
    for (const auto& fault : kFaults) {
        SCOPED_TRACE(fault.why);
        kit::UniqueHandle process(OpenProcess(PROCESS_ALL_ACCESS, FALSE, launcher));
        ASSERT_TRUE(process);
        fault.inject(process.Get());
        ASSERT_TRUE(site.WaitForLog(std::string("launcher restarted by its guardian after ") + fault.why, 20000))
            << site.Log();
        launcher = WaitForLauncher(launcher, 10000);
        ASSERT_NE(launcher, 0u);
        EXPECT_EQ(site.Starts(0).size(), 1u) << "the effect played on: adopted, not started again";
        EXPECT_EQ(CountProcesses(site.Image(0)), 1);
        EXPECT_EQ(CountProcesses(L"Pavora.exe"), 1);
    }
    EXPECT_EQ(DumpCount(site.Install()), 2) << "a dump of the crash and of the hang";
    std::string log = site.Log();
    size_t adopted = 0;
    for (size_t at = log.find("adopted "); at != std::string::npos; at = log.find("adopted ", at + 1)) ++adopted;
    EXPECT_EQ(adopted, 3u);

    // The entry kept the time it had left across the restarts: the next one comes on time.
    ASSERT_TRUE(site.WaitForStarts(1, 1, 60000));
    long long late = static_cast<long long>(site.Starts(1).front().tick - firstStart) - 45000;
    EXPECT_LT(std::llabs(late), 8000) << "the second entry started " << late << " ms off its time";
    EXPECT_EQ(CrashDialogCount(), 0);
}

TEST_F(Guardian, ComesBackWhenEndedMakesNoSecondLauncherAndGoesWithTheOperatorsExit)
{
    SupervisedInstall site(L"guardian-exit", {{}}, "[guard]\r\n", "10");
    site.Start();
    ASSERT_TRUE(WaitForProcessCount(L"PavoraGuard.exe", 1, 10000));
    ASSERT_TRUE(site.WaitForStarts(0, 1, 20000));

    KillProcesses(L"PavoraGuard.exe");
    EXPECT_TRUE(site.WaitForLog("ended with code 1; it is started again", 10000));
    EXPECT_TRUE(WaitForProcessCount(L"PavoraGuard.exe", 1, 10000));

    // A second copy by hand shows the first one's bar and ends; the guardian makes none.
    EXPECT_TRUE(WaitForExit(site.Install().Launch(), 15000));
    EXPECT_EQ(CountProcesses(L"Pavora.exe"), 1);

    site.Launcher().Command(kMenuExit);
    EXPECT_TRUE(WaitForProcessCount(L"PavoraGuard.exe", 0, 10000));
    EXPECT_TRUE(WaitForProcessCount(L"Pavora.exe", 0, 10000));
    std::string guardLog = ReadBytes(site.Install().Path(L"log\\guard.log"));
    EXPECT_NE(guardLog.find("guardian end: the operator's exit"), std::string::npos) << guardLog;
    EXPECT_EQ(guardLog.find("started Pavora.exe"), std::string::npos) << guardLog;
}

}  // namespace
}  // namespace e2e
