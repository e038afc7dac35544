// The library's driver installation as a program of the installation calls it: the real
// Tessaly.dll in a staged folder, called by a small program, against Wine's devices.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "tests/support/StagedInstall.h"
#include "tests/support/DriverDevices.h"

using namespace e2e;
using testing_support::DeleteDriverInstalledValue;
using testing_support::DriverInstalledValue;
using testing_support::PresentHidId;

namespace {

const int kProgressText = 5058;
const wchar_t kBase[] = L"正在安装光机驱动";

struct WindowSearch {
    DWORD process;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectProgressWindow(HWND window, LPARAM search)
{
    WindowSearch* wanted = reinterpret_cast<WindowSearch*>(search);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == wanted->process && IsWindowVisible(window) && GetDlgItem(window, kProgressText))
        wanted->found.push_back(window);
    return TRUE;
}

std::vector<HWND> ProgressWindows(DWORD process)
{
    WindowSearch search{process, {}};
    EnumWindows(CollectProgressWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Both of the installation's INF files, naming `hardwareId` (UTF-16 with its mark).
void WriteInfs(StagedInstall& install, const std::wstring& hardwareId)
{
    for (const wchar_t* relative : {L"Drivers\\X86\\oem10.inf", L"Drivers\\X64\\oem26.inf"}) {
        std::wstring text = L"[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Image\r\n"
                            L"ClassGUID={6bdd1fc6-810f-11d0-bec7-08002be2092f}\r\n"
                            L"[Manufacturer]\r\n%M%=Maker,NTx86,NTamd64\r\n[Maker.NTx86]\r\n%D%=Install," +
                            hardwareId + L"\r\n[Maker.NTamd64]\r\n%D%=Install," + hardwareId +
                            L"\r\n[Install]\r\n[Strings]\r\nM=\"m\"\r\nD=\"d\"\r\n";
        std::string bytes("\xFF\xFE", 2);
        bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
        WriteBytes(install.Path(relative), bytes);
    }
}

// The installation's caller program started in the folder with `arguments`; message
// boxes go to the folder's log.
HANDLE StartCaller(StagedInstall& install, const std::wstring& arguments)
{
    install.CopyProgram(L"DriverInstallCaller.exe", L"DriverInstallCaller.exe");
    SetEnvironmentVariableW(L"PAVORA_MESSAGEBOX_LOG", install.Path(L"messageboxes.log").c_str());
    std::wstring commandLine = L"\"" + install.Path(L"DriverInstallCaller.exe") + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    BOOL started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                  install.Folder().c_str(), &startup, &info);
    SetEnvironmentVariableW(L"PAVORA_MESSAGEBOX_LOG", nullptr);
    if (!started) return nullptr;
    CloseHandle(info.hThread);
    return info.hProcess;
}

// What the caller's run showed: every progress window, and its texts in order.
struct Watched {
    std::set<HWND> windows;
    size_t mostAtOnce = 0;
    std::vector<std::wstring> texts;
    DWORD resultShownAt = 0, closedAt = 0;
    bool topmost = false;
};

Watched WatchUntilExit(HANDLE caller, DWORD timeoutMs)
{
    Watched seen;
    DWORD process = GetProcessId(caller);
    DWORD start = GetTickCount();
    HWND last = nullptr;
    while (WaitForSingleObject(caller, 5) == WAIT_TIMEOUT && GetTickCount() - start < timeoutMs) {
        std::vector<HWND> windows = ProgressWindows(process);
        if (windows.size() > seen.mostAtOnce) seen.mostAtOnce = windows.size();
        for (HWND window : windows) {
            seen.windows.insert(window);
            last = window;
            if (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) seen.topmost = true;
            wchar_t text[128] = L"";
            GetDlgItemTextW(window, kProgressText, text, 127);
            if (!text[0]) continue;
            if (seen.texts.empty() || seen.texts.back() != text) seen.texts.push_back(text);
            if (!seen.resultShownAt && wcsstr(text, L"驱动安装")) seen.resultShownAt = GetTickCount();
        }
        if (last && !seen.closedAt && !IsWindow(last)) seen.closedAt = GetTickCount();
    }
    // The caller ends moments after its window: its end is when the window went at the latest.
    if (last && !seen.closedAt && !IsWindow(last)) seen.closedAt = GetTickCount();
    return seen;
}

TEST(DriverInstall, APresentCameraGetsOneProgressWindowThatShowsSuccessClosesItselfAndIsRecorded)
{
    std::wstring deviceId = PresentHidId();
    ASSERT_FALSE(deviceId.empty()) << "Wine lists no HID device";
    StagedInstall install(L"DriverInstallPresent");
    WriteInfs(install, deviceId);
    DeleteDriverInstalledValue();

    HANDLE caller = StartCaller(install, L"calls 2");
    ASSERT_NE(caller, nullptr);
    Watched seen = WatchUntilExit(caller, 20000);
    ASSERT_TRUE(WaitForExit(caller, 1000));
    CloseHandle(caller);

    EXPECT_EQ(seen.windows.size(), 1u);
    EXPECT_EQ(seen.mostAtOnce, 1u);
    EXPECT_TRUE(seen.topmost);
    ASSERT_FALSE(seen.texts.empty());
    EXPECT_EQ(seen.texts.back(), L"驱动安装成功.");
    for (size_t i = 0; i + 1 < seen.texts.size(); ++i)
        EXPECT_EQ(seen.texts[i].compare(0, wcslen(kBase), kBase), 0) << testing::PrintToString(seen.texts[i]);
    // The result stays about two seconds, then the window goes by itself.
    ASSERT_NE(seen.resultShownAt, 0u);
    ASSERT_NE(seen.closedAt, 0u);
    DWORD shown = seen.closedAt - seen.resultShownAt;
    EXPECT_GE(shown, 1500u);
    EXPECT_LE(shown, 4000u);

    DWORD value = 1;
    EXPECT_TRUE(DriverInstalledValue(value));
    EXPECT_EQ(value, 0u);
    EXPECT_TRUE(install.MessageBoxes().empty());
}

// The installation's own INFs name a camera that is not plugged in; then no INF at all.
TEST(DriverInstall, WithoutTheCameraOnlyACallerWithAWindowIsWarned)
{
    StagedInstall install(L"DriverInstallAbsent");
    DeleteDriverInstalledValue();
    for (int round = 0; round < 2; ++round) {
        if (round == 1) RemoveTree(install.Path(L"Drivers"));
        for (const wchar_t* arguments : {L"", L"window"}) {
            HANDLE caller = StartCaller(install, arguments);
            ASSERT_NE(caller, nullptr);
            Watched seen = WatchUntilExit(caller, 20000);
            CloseHandle(caller);
            EXPECT_TRUE(seen.windows.empty()) << round;
        }
    }
    std::vector<MessageBoxRecord> boxes = install.MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    for (const MessageBoxRecord& box : boxes) {
        EXPECT_EQ(box.ownerTitle, L"Driver caller");
        EXPECT_EQ(box.caption, L"提示");
        EXPECT_EQ(box.text, L"请先插入光机.");
        EXPECT_EQ(box.type, static_cast<UINT>(MB_ICONWARNING));
    }
    DWORD value = 0;
    EXPECT_FALSE(DriverInstalledValue(value));
}

}  // namespace
