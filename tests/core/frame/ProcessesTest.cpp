// Finding, ending and starting real processes: copies of the stand-in program under
// the names each test needs, in a scratch folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "core/frame/Processes.h"
#include "core/library/TessalyApi.h"
#include "tests/support/ScratchFolder.h"

using testing_support::ScratchFolder;

namespace {

int CountProcesses(const std::wstring& imageName)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (_wcsicmp(entry.szExeFile, imageName.c_str()) == 0) ++count;
    CloseHandle(snapshot);
    return count;
}

class Processes : public testing::Test {
protected:
    // The stand-in needs the C++ runtime libraries beside it.
    Processes()
    {
        WIN32_FIND_DATAW found;
        std::wstring bin = testing_support::ProgramFolder();
        HANDLE search = FindFirstFileW((bin + L"\\lib*.dll").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return;
        do {
            CopyFileW((bin + L"\\" + found.cFileName).c_str(), (folder_.Path() + L"\\" + found.cFileName).c_str(),
                      FALSE);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }

    ~Processes() override
    {
        for (HANDLE process : started_) {
            if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
                TerminateProcess(process, 1);
                WaitForSingleObject(process, 5000);
            }
            CloseHandle(process);
        }
    }

    // The stand-in copied into the scratch folder as `name`; its full path.
    std::wstring StandIn(const std::wstring& name)
    {
        std::wstring path = folder_.Path() + L"\\" + name;
        CopyFileW((testing_support::ProgramFolder() + L"\\pavora_test_process.exe").c_str(), path.c_str(), FALSE);
        return path;
    }

    // Returns once the new process shows in the process list under its name.
    HANDLE Start(const std::wstring& name, const std::wstring& arguments = L"")
    {
        int before = CountProcesses(name);
        std::wstring commandLine = L"\"" + StandIn(name) + L"\" " + arguments;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            return nullptr;
        CloseHandle(info.hThread);
        started_.push_back(info.hProcess);
        WaitForCount(name, before + 1);
        return info.hProcess;
    }

    static bool WaitForCount(const std::wstring& name, int count)
    {
        for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(20))
            if (CountProcesses(name) == count) return true;
        return false;
    }

    static bool AllEnded(const std::vector<HANDLE>& processes)
    {
        return WaitForMultipleObjects(static_cast<DWORD>(processes.size()), processes.data(), TRUE, 5000) <
               WAIT_OBJECT_0 + processes.size();
    }

    ScratchFolder folder_{L"processes"};
    std::vector<HANDLE> started_;
};

}  // namespace

TEST_F(Processes, KillEndsEveryCopyAndReportsOne)
{
    std::vector<HANDLE> copies = {Start(L"pavora_kill_two.exe"), Start(L"pavora_kill_two.exe")};
    HANDLE bystander = Start(L"pavora_kill_other.exe");
    ASSERT_EQ(CountProcesses(L"pavora_kill_two.exe"), 2);

    EXPECT_EQ(KillProcessByName(L"pavora_kill_two.exe"), 1);
    EXPECT_TRUE(AllEnded(copies));
    EXPECT_EQ(WaitForSingleObject(bystander, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(KillProcessByName(L"pavora_kill_two.exe"), 0);
}

TEST_F(Processes, KillNameIsTrimmedCaseBlindAndCutAtTheLastBackslash)
{
    std::vector<HANDLE> first = {Start(L"pavora_kill_case.exe")};
    EXPECT_EQ(KillProcessByName(L"  PAVORA_Kill_Case.EXE\t"), 1);
    EXPECT_TRUE(AllEnded(first));

    std::vector<HANDLE> second = {Start(L"pavora_kill_case.exe")};
    EXPECT_EQ(KillProcessByName(L"Q:\\Elsewhere\\Some Folder\\Pavora_Kill_Case.exe"), 1);
    EXPECT_TRUE(AllEnded(second));
}

// A command-file effect runs inside the effect shell: its path stops every shell.
TEST_F(Processes, KillByCommandFilePathEndsEveryEffectShell)
{
    std::vector<HANDLE> shells = {Start(L"Nimbrel.exe"), Start(L"Nimbrel.exe")};
    EXPECT_EQ(KillProcessByName(L"C:\\Effects\\Water Ripples\\START.CMD"), 1);
    EXPECT_TRUE(AllEnded(shells));
}

TEST_F(Processes, KillWithoutMatchOrNameReportsSo)
{
    EXPECT_EQ(KillProcessByName(L"pavora_never_started.exe"), 0);
    EXPECT_EQ(KillProcessByName(L"   "), 0);
    EXPECT_EQ(KillProcessByName(nullptr), -1);
}

TEST_F(Processes, ListCheckFindsAnyListedNameInAnyCase)
{
    Start(L"Pavora_List_B.exe");
    EXPECT_TRUE(tessaly::AnyProcessRunning({L"pavora_list_a.exe", L"PAVORA_LIST_b.EXE"}));
    EXPECT_TRUE(tessaly::AnyProcessRunning({L"pavora_list_b.exe"}));
    EXPECT_FALSE(tessaly::AnyProcessRunning({L"pavora_list_a.exe", L"pavora_list_c.exe"}));
    EXPECT_FALSE(tessaly::AnyProcessRunning({}));
}

TEST_F(Processes, RunCommandWaitsOnlyWhenAsked)
{
    std::wstring program = L"\"" + StandIn(L"pavora_run_command.exe") + L"\"";

    DWORD start = GetTickCount();
    OpenCmdByCommand(program + L" --exit-after 500", SW_HIDE, 1);
    EXPECT_GE(GetTickCount() - start, 450u);
    EXPECT_EQ(CountProcesses(L"pavora_run_command.exe"), 0);

    start = GetTickCount();
    OpenCmdByCommand(program + L" --exit-after 4000", SW_HIDE, 0);
    EXPECT_LT(GetTickCount() - start, 2000u);
    EXPECT_TRUE(WaitForCount(L"pavora_run_command.exe", 1));
    EXPECT_EQ(KillProcessByName(L"pavora_run_command.exe"), 1);
}
