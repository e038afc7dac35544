// The library's start-up and shutdown calls, driven through the real launcher.
#include <gtest/gtest.h>

#include <windows.h>

#include <ostream>
#include <string>

#include "tests/support/StagedInstall.h"

using namespace e2e;

namespace {

bool IsReadOnly(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

void WriteReadOnlyFile(const std::wstring& path)
{
    WriteBytes(path, "x");
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
}

// Whether a process of this image name, started by process `parent`, still runs.
bool ChildRuns(DWORD parent, const wchar_t* imageName)
{
    std::vector<HANDLE> children = ChildrenOf(parent, imageName);
    for (HANDLE child : children) CloseHandle(child);
    return !children.empty();
}

template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs)
{
    for (DWORD start = GetTickCount(); !condition(); Pump(50))
        if (GetTickCount() - start > timeoutMs) return false;
    return true;
}

// Starts the launcher and returns once its bar shows: the library's start-up has run by then.
HANDLE StartLauncher(StagedInstall& install, HWND* bar = nullptr, const std::wstring& startFolder = L"")
{
    std::wstring title = install.UseUniqueTitle();
    HANDLE process = install.Launch(L"Pavora.exe", 0, startFolder);
    HWND window = process ? StagedInstall::WaitForWindow(title, 15000) : nullptr;
    if (bar) *bar = window;
    return window ? process : nullptr;
}

const wchar_t kSecurityWarning[] = L"发现360等杀毒,请退出\n否则鼠标无响应或摄像头打不开";

}  // namespace

// A blank in the installation's path must not break the command, and a sibling folder
// whose name merely starts like the installation's must be left alone. A launcher started
// in another folder (a scheduled task without a start folder, an old Run entry) still finds
// its installation's files (its bar's title comes from its language file) and clears
// nothing in the folder it was started in.
TEST(LibraryStart, ClearsReadOnlyExactlyBelowTheInstallationWhereverItIsStarted)
{
    for (bool elsewhere : {false, true}) {
        SCOPED_TRACE(elsewhere ? "started in another folder" : "started in the installation");
        StagedInstall install(L"Library Start ReadOnly");
        std::wstring sibling = install.Folder() + L"-sibling";
        RemoveTree(sibling);
        CreateDirectoryW(sibling.c_str(), nullptr);
        CreateDirectoryW(install.Path(L"data\\deep folder").c_str(), nullptr);
        std::wstring top = install.Path(L"read only.txt"), deep = install.Path(L"data\\deep folder\\settings.xml");
        std::wstring outside = sibling + L"\\read only.txt";
        for (const std::wstring& path : {top, deep, outside}) WriteReadOnlyFile(path);
        ASSERT_TRUE(IsReadOnly(top) && IsReadOnly(deep) && IsReadOnly(outside));

        HANDLE launcher = StartLauncher(install, nullptr, elsewhere ? sibling : L"");
        ASSERT_NE(launcher, nullptr);
        EXPECT_TRUE(WaitFor([&] { return !IsReadOnly(top) && !IsReadOnly(deep); }, 20000));
        // The command shell waits for its attrib: once the shell has ended, so has the clearing.
        DWORD launcherId = GetProcessId(launcher);
        EXPECT_TRUE(WaitFor([&] { return !ChildRuns(launcherId, L"cmd.exe"); }, 20000));
        EXPECT_TRUE(IsReadOnly(outside));
        EXPECT_TRUE(FileExists(install.Path(L"log\\pavora.log")));
        EXPECT_FALSE(FileExists(sibling + L"\\log\\pavora.log"));
        RemoveTree(sibling);
    }
}

// The command is started beside the bar's start-up; a launcher closed the moment its bar
// shows must still have started it.
TEST(LibraryStart, ALauncherClosedAtOnceStillClearsReadOnly)
{
    StagedInstall install(L"LibraryStartClosedAtOnce");
    std::wstring file = install.Path(L"data\\settings.xml");
    WriteReadOnlyFile(file);
    HWND bar = nullptr;
    HANDLE launcher = StartLauncher(install, &bar);
    ASSERT_NE(launcher, nullptr);
    PostMessageW(bar, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(launcher, 15000), WAIT_OBJECT_0);
    CloseHandle(launcher);
    EXPECT_TRUE(WaitFor([&] { return !IsReadOnly(file); }, 20000));
}

TEST(LibraryStart, KeepAwakeProgramRunsFromStartToAltEsc)
{
    KillProcesses(L"Tavisto.exe");
    StagedInstall install(L"LibraryStartKeepAwake");
    install.CopyProgram(L"pavora_test_process.exe", L"Tavisto.exe");
    HWND bar = nullptr;
    HANDLE launcher = StartLauncher(install, &bar);
    ASSERT_NE(launcher, nullptr);
    EXPECT_TRUE(WaitForProcessCount(L"Tavisto.exe", 1, 15000));

    // Alt+Esc, as the hot key arrives: the launcher ends and its shutdown ends the program.
    ATOM atom = GlobalFindAtomW(L"Alt+ESC");
    ASSERT_NE(atom, 0);
    PostMessageW(bar, WM_HOTKEY, atom - 0xC000, MAKELPARAM(MOD_ALT, VK_ESCAPE));
    EXPECT_TRUE(WaitForExit(launcher, 15000));
    EXPECT_TRUE(WaitForProcessCount(L"Tavisto.exe", 0, 10000));
    KillProcesses(L"Tavisto.exe");
}

// With "bDotCursor" on, the start puts the red dot in place of the arrow without asking and
// the close puts the arrow back; off, the system cursor is never touched.
TEST(LibraryStart, DotCursorSetAtStartAndArrowRestoredAtClose)
{
    for (int dot : {1, 0}) {
        SCOPED_TRACE(dot);
        StagedInstall install(L"LibraryStartDotCursor");
        install.WriteConfig("[config]\r\nDEVICETYPE=0\r\nbDotCursor=" + std::to_string(dot) + "\r\n");
        HWND bar = nullptr;
        HANDLE launcher = StartLauncher(install, &bar);
        ASSERT_NE(launcher, nullptr);
        const std::wstring log = install.Path(L"system-cursor.log");
        EXPECT_EQ(ReadBytes(log), dot ? "dot\n" : "");
        PostMessageW(bar, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitForExit(launcher, 15000));
        EXPECT_EQ(ReadBytes(log), dot ? "dot\narrow\n" : "");
        EXPECT_TRUE(install.MessageBoxes().empty()) << "no question at start";
    }
}

struct SecurityCase {
    const char* name;
    const char* config;
    const wchar_t* running;  // a security program's image name, or null
    bool warned;
};

void PrintTo(const SecurityCase& item, std::ostream* out) { *out << item.name; }

class SecurityWarning : public testing::TestWithParam<SecurityCase> {};

// The pen and laser devices warn when a listed security program runs, unless the check is off.
TEST_P(SecurityWarning, AppearsOnlyForPenDevicesWithTheCheckOnAndAProgramRunning)
{
    const SecurityCase& item = GetParam();
    // A folder per case: the launcher's read-only clearing may still walk the last one.
    std::string name = item.name;
    StagedInstall install(L"LibraryStartSecurity" + std::wstring(name.begin(), name.end()));
    install.WriteConfig(item.config);
    if (item.running) {
        install.CopyProgram(L"pavora_test_process.exe", item.running);
        ASSERT_NE(install.Launch(item.running), nullptr);
        ASSERT_TRUE(WaitForProcessCount(item.running, 1, 15000));
    }
    ASSERT_NE(StartLauncher(install), nullptr);

    int warnings = 0;
    for (const MessageBoxRecord& box : install.MessageBoxes()) {
        if (box.text != kSecurityWarning) continue;
        ++warnings;
        EXPECT_EQ(box.caption, L"信息提示");
        EXPECT_EQ(box.ownerTitle, L"");
        EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
    }
    EXPECT_EQ(warnings, item.warned ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    LibraryStart, SecurityWarning,
    testing::Values(SecurityCase{"Pen", "[config]\r\nDEVICETYPE=1\r\n", L"360Safe.exe", true},
                    SecurityCase{"LaserCheckOn", "[config]\r\nDEVICETYPE=2\r\ncheck360 =1\r\n", L"AVP.EXE", true},
                    SecurityCase{"RearLight", "[config]\r\nDEVICETYPE=3\r\n", L"rav.exe", true},
                    SecurityCase{"Light", "[config]\r\nDEVICETYPE=0\r\n", L"360tray.exe", false},
                    SecurityCase{"NoDeviceType", "[config]\r\n", L"360tray.exe", false},
                    SecurityCase{"CheckOff", "[config]\r\nDEVICETYPE=1\r\ncheck360 =0\r\n", L"360tray.exe", false},
                    SecurityCase{"NothingRunning", "[config]\r\nDEVICETYPE=1\r\n", nullptr, false}),
    [](const testing::TestParamInfo<SecurityCase>& info) { return std::string(info.param.name); });
