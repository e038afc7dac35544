#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <string>

#include "core/library/TessalyApi.h"
#include "core/touch/TouchManager.h"
#include "tests/support/InstallFolder.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/TouchFakes.h"

namespace {

using testing_support::FakeVersion;
using testing_support::WaitScope;

TEST(SupportsTouch, ByVersionAndEdition)
{
    struct Case {
        const char* name;
        DWORD major, minor, product;
        bool supported, asksForEdition;
    };
    const Case cases[] = {
        {"7 Home Premium", 6, 1, 3, true, true},   {"7 Professional", 6, 1, 48, true, true},
        {"7 Ultimate", 6, 1, 1, true, true},       {"Server Standard", 6, 1, 7, true, true},
        {"7 Enterprise", 6, 1, 4, false, true},    {"7 Home Basic", 6, 1, 2, false, true},
        {"7 Starter", 6, 1, 11, false, true},      {"8", 6, 2, 0, true, false},
        {"any x.2", 10, 2, 0, true, false},        {"XP", 5, 1, 48, false, false},
    };
    for (const Case& c : cases) {
        FakeVersion version(c.major, c.minor, c.product);
        EXPECT_EQ(c.supported, tessaly::SupportsTouch(version)) << c.name;
        EXPECT_EQ(c.asksForEdition ? 1 : 0, version.productQueries) << c.name;
    }
    FakeVersion withoutGetProductInfo(6, 1, 3, false);
    EXPECT_FALSE(tessaly::SupportsTouch(withoutGetProductInfo));
}

// The system's own answer, in a helper program that Wine's per-program settings give a
// version of the test's choosing; the shared prefix keeps its own.
DWORD RunProbeAs(const wchar_t* version)
{
    const std::wstring key = L"Software\\Wine\\AppDefaults\\pavora_touch_probe.exe";
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Version", REG_SZ, version,
                    static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t)));
    std::wstring command = L"\"" + testing_support::ProgramFolder() + L"\\pavora_touch_probe.exe\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    DWORD code = 0;
    if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, 30000);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    return code;
}

TEST(SupportsTouch, SystemAnswerForWindows8AndXp)
{
    // The probe answers (major * 10 + minor) * 2, plus 1 for touch.
    EXPECT_EQ(62u * 2 + 1, RunProbeAs(L"win8"));
    EXPECT_EQ(52u * 2, RunProbeAs(L"winxp64"));
}

// The simulator started from a folder of the test's own, with the stand-in copied in as
// "Pellux.exe"; its start-up delay comes from the environment it inherits.
class SimulatorTest : public testing::Test {
protected:
    void SetUp() override { touch_.win7TouchMode = 1; }
    void TearDown() override
    {
        KillProcessByName(L"Pellux.exe");
        SetEnvironmentVariableW(L"PAVORA_SIMULATOR_DELAY", nullptr);
        if (ownWindow_) DestroyWindow(ownWindow_);
        EXPECT_TRUE(WaitForSimulator(false));
    }

    void InstallSimulator(const wchar_t* delay = nullptr)
    {
        SetEnvironmentVariableW(L"PAVORA_SIMULATOR_DELAY", delay);
        std::wstring from = testing_support::ProgramFolder() + L"\\pavora_standin_simulator.exe";
        ASSERT_TRUE(CopyFileW(from.c_str(), (folder_.Path() + L"\\Pellux.exe").c_str(), FALSE));
    }

    static bool WaitForSimulator(bool running)
    {
        for (int i = 0; i < 250; ++i, Sleep(20)) {
            if (tessaly::IsProcessRunning(L"pellux.EXE") == running) return true;
        }
        return false;
    }

    static int CountSimulators()
    {
        int count = 0;
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32W entry = {};
        entry.dwSize = sizeof(entry);
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
            count += _wcsicmp(entry.szExeFile, L"Pellux.exe") == 0;
        CloseHandle(snapshot);
        return count;
    }

    testing_support::InstallFolder folder_{L"simulator"};
    testing_support::VersionScope version_;
    TouchManager touch_;
    HWND ownWindow_ = nullptr;
    int pauses_ = 0;
};

TEST_F(SimulatorTest, StartsTheSimulatorAndWaitsForItsWindow)
{
    InstallSimulator();
    WaitScope counting([&](DWORD milliseconds) {
        EXPECT_EQ(40u, milliseconds);
        ++pauses_;
        Sleep(milliseconds);
    });
    testing_support::MessageBoxRecorder boxes;
    tessaly::StartTouchSimulator(touch_);
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_NE(nullptr, FindWindowW(nullptr, L"Pellux"));
    EXPECT_GT(pauses_, 0);

    // A running copy is used as it is: no second one, no waiting.
    WaitScope notCounting([&](DWORD) { ++pauses_; });
    int before = pauses_;
    tessaly::StartTouchSimulator(touch_);
    EXPECT_EQ(before, pauses_);
    EXPECT_EQ(1, CountSimulators());
}

TEST_F(SimulatorTest, NothingStartsWithoutTheProgramOrTheMode)
{
    WaitScope counting([&](DWORD) { ++pauses_; });
    tessaly::StartTouchSimulator(touch_);  // no Pellux.exe here: silent
    InstallSimulator();
    touch_.win7TouchMode = 0;
    tessaly::StartTouchSimulator(touch_);
    EXPECT_EQ(0, pauses_);
    Sleep(200);
    EXPECT_FALSE(tessaly::IsProcessRunning(L"Pellux.exe"));
}

TEST_F(SimulatorTest, TheWindowMustComeWithin500Attempts)
{
    const wchar_t kWarning[] = L"启动win7触控模块不成功\n在设置里面重启win7触控模块\n或检查UAC权限是否最低\n"
                               L"或者设备管理器中的hid是否全部开启";
    InstallSimulator(L"never");
    for (int appearsAfter : {499, 500}) {  // found by the 500th look; one pause too late
        pauses_ = 0;
        WaitScope counting([&](DWORD) {
            if (++pauses_ == appearsAfter)
                ownWindow_ = CreateWindowExW(0, L"STATIC", L"Pellux", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                             nullptr, nullptr);
        });
        KillProcessByName(L"Pellux.exe");
        ASSERT_TRUE(WaitForSimulator(false));
        testing_support::MessageBoxRecorder boxes;
        tessaly::StartTouchSimulator(touch_);
        EXPECT_EQ(appearsAfter, pauses_);
        DestroyWindow(ownWindow_);
        ownWindow_ = nullptr;
        if (appearsAfter == 499) {
            EXPECT_TRUE(boxes.calls.empty());
            continue;
        }
        ASSERT_EQ(1u, boxes.calls.size());
        EXPECT_EQ(nullptr, boxes.calls[0].owner);
        EXPECT_EQ(kWarning, boxes.calls[0].text);
        EXPECT_EQ(L"tips", boxes.calls[0].caption);
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONWARNING), boxes.calls[0].type);
        EXPECT_TRUE(tessaly::IsProcessRunning(L"Pellux.exe"));  // left running
        EXPECT_EQ(1, touch_.win7TouchMode);
    }
}

TEST_F(SimulatorTest, SwitchingTheModeStartsAndStopsTheSimulator)
{
    InstallSimulator(L"0");
    touch_.win7TouchMode = 0;
    touch_.multiPointOutput = 1;
    touch_.networkOutput = 0;
    touch_.SwitchWindows7Touch(true);
    EXPECT_EQ(1, touch_.win7TouchMode);
    EXPECT_EQ(1, touch_.networkOutput);
    EXPECT_EQ(0, touch_.multiPointOutput);
    EXPECT_NE(nullptr, FindWindowW(nullptr, L"Pellux"));
    touch_.SwitchWindows7Touch(false);
    EXPECT_EQ(0, touch_.win7TouchMode);
    EXPECT_TRUE(WaitForSimulator(false));
}

}  // namespace
