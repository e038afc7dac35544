// The exported installation inside this process: the progress window on its own thread,
// its animation driven by posted timer messages, and the result it records. The worker
// is held at its first question about the system, so the window can be watched.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "core/driver/CDriverInstallDlg.h"
#include "core/driver/DriverInstall.h"
#include "core/driver/DriverPlatform.h"
#include "core/library/TessalyApi.h"
#include "core/resources/DriverInstallDlg_rc.h"
#include "framework/ResourceScope.h"
#include "tests/support/DriverTestFiles.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/DriverDevices.h"
#include "tests/support/TestFiles.h"

using DRIVER::CDriverInstallDlg;
using testing_support::DeleteDriverInstalledValue;
using testing_support::DriverInstalledValue;
using testing_support::PresentHidId;

namespace {

const wchar_t kBase[] = L"正在安装光机驱动";

// 32-bit Windows 7 for the test's own thread (the export's caller); other threads (the
// worker) wait for Release() and are then answered with `workerAnswer` (false: an
// unrecognised system).
class HeldPlatform : public kit::SystemVersionSource {
public:
    explicit HeldPlatform(bool workerAnswer)
        : workerAnswer_(workerAnswer), caller_(GetCurrentThreadId()), release_(CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
    }
    ~HeldPlatform() override { CloseHandle(release_); }

    bool Version(OSVERSIONINFOEXW& info) override
    {
        ZeroMemory(&info, sizeof(info));
        info.dwPlatformId = VER_PLATFORM_WIN32_NT;
        info.dwMajorVersion = 6;
        info.dwMinorVersion = 1;
        if (GetCurrentThreadId() == caller_) return true;
        WaitForSingleObject(release_, 20000);
        return workerAnswer_;
    }
    WORD NativeArchitecture() override { return PROCESSOR_ARCHITECTURE_INTEL; }
    bool ProductType(DWORD, DWORD, DWORD&) override { return false; }
    void Release() { SetEvent(release_); }

private:
    bool workerAnswer_;
    DWORD caller_;
    HANDLE release_;
};

BOOL CALLBACK CollectProgressWindow(HWND window, LPARAM found)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) && GetDlgItem(window, IDC_DRIVER_PROGRESS_TEXT))
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

std::vector<HWND> ProgressWindows()
{
    std::vector<HWND> windows;
    EnumWindows(CollectProgressWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::wstring ProgressText(HWND window)
{
    wchar_t text[128] = L"";
    GetDlgItemTextW(window, IDC_DRIVER_PROGRESS_TEXT, text, 127);
    return text;
}

template <typename Condition>
bool WaitFor(Condition condition, DWORD timeoutMs = 10000)
{
    for (DWORD start = GetTickCount(); !condition(); Sleep(10))
        if (GetTickCount() - start > timeoutMs) return false;
    return true;
}

struct Capture {
    int width = 0, height = 0;
    int background = 0;  // pixels of the window's own light yellow
    int dark = 0;        // pixels of text, the frame left out
};

// The window as it is on screen, kept as a picture beside the build's test programs
// (artefacts\<name>.bmp), and counted.
Capture CaptureWindow(HWND window, const std::wstring& name)
{
    Capture capture;
    RECT rect;
    GetWindowRect(window, &rect);
    capture.width = rect.right - rect.left;
    capture.height = rect.bottom - rect.top;
    if (capture.width <= 0 || capture.height <= 0) return capture;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC source = GetWindowDC(window);
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, capture.width, capture.height, source, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD* pixels = static_cast<const DWORD*>(bits);
    size_t count = static_cast<size_t>(capture.width) * capture.height;
    for (size_t i = 0; i < count; ++i) {
        DWORD pixel = pixels[i] & 0xFFFFFF;  // 0xRRGGBB in a 32-bit DIB
        if (pixel == 0xFFFFE1) ++capture.background;
        int x = static_cast<int>(i % capture.width), y = static_cast<int>(i / capture.width);
        bool inside = x >= 3 && y >= 3 && x < capture.width - 3 && y < capture.height - 3;
        int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
        if (inside && r + g + b < 450) ++capture.dark;
    }

    std::wstring folder = testing_support::ProgramFolder() + L"\\..\\artefacts";
    CreateDirectoryW(folder.c_str(), nullptr);
    BITMAPFILEHEADER file = {};
    DWORD imageBytes = static_cast<DWORD>(count * 4);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
    file.bfSize = file.bfOffBits + imageBytes;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(info.bmiHeader));
    bytes.append(static_cast<const char*>(bits), imageBytes);
    testing_support::WriteBytes(folder + L"\\" + name + L".bmp", bytes);

    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, source);
    return capture;
}

class DriverInstallWindow : public testing::Test {
protected:
    void SetUp() override
    {
        deviceId_ = PresentHidId();
        ASSERT_FALSE(deviceId_.empty()) << "Wine lists no HID device";
        folder_.Write(L"Drivers\\X86\\oem10.inf",
                      testing_support::Encode(L"[Version]\nSignature=\"$Windows NT$\"\nClass=Image\n"
                                           L"ClassGUID={6bdd1fc6-810f-11d0-bec7-08002be2092f}\n"
                                           L"[Manufacturer]\n%M%=Maker,NTx86\n[Maker.NTx86]\n%D%=Install," +
                                               deviceId_ + L"\n[Install]\n[Strings]\nM=\"m\"\nD=\"d\"\n",
                                           testing_support::Encoding::Utf16));
        DeleteDriverInstalledValue();
        CDriverInstallDlg::Timing fast;
        fast.animationMs = 600000;  // ticks come from the test
        fast.resultShownMs = 50;
        fast.closeDelayMs = 50;
        previousTiming_ = CDriverInstallDlg::SetTiming(fast);
    }
    void TearDown() override
    {
        kit::SetSystemVersionSource(nullptr);
        CDriverInstallDlg::SetTiming(previousTiming_);
    }

    // The animation timer firing now; returns the text it leads to.
    static std::wstring Tick(HWND window)
    {
        SendMessageW(window, WM_TIMER, CDriverInstallDlg::kAnimationTimer, 0);
        return ProgressText(window);
    }

    testing_support::ScratchFolder folder_{L"driver_install"};
    std::wstring deviceId_;
    CDriverInstallDlg::Timing previousTiming_;
};

TEST_F(DriverInstallWindow, AnimatesInFourStagesThenShowsSuccessClosesAndRecordsIt)
{
    HeldPlatform platform(true);
    kit::SetSystemVersionSource(&platform);
    testing_support::MessageBoxRecorder boxes;
    // The library's host window on this thread, as the launcher's bar is; the progress
    // window of the install thread must not stand on it.
    HWND host = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    kit::SetDefaultOwner(host);
    InstallDriver(nullptr, 0);
    ASSERT_TRUE(DRIVER::DriverInstallRunning());
    HWND window = nullptr;
    ASSERT_TRUE(WaitFor([&] { return !ProgressWindows().empty(); }));
    window = ProgressWindows()[0];
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
    EXPECT_TRUE(IsWindowEnabled(host));
    EXPECT_EQ(ProgressText(window), kBase);
    EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, IDC_DRIVER_SPARE_TEXT)));

    // The stage depends on earlier windows: four ticks give each of the four once, in turn.
    const std::wstring stages[4] = {kBase, std::wstring(kBase) + L" .", std::wstring(kBase) + L" . .",
                                    std::wstring(kBase) + L" . . ."};
    std::wstring first = Tick(window);
    int at = -1;
    for (int i = 0; i < 4; ++i)
        if (first == stages[i]) at = i;
    ASSERT_GE(at, 0) << testing::PrintToString(first);
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(Tick(window), stages[(at + i) % 4]);
    // The fullest stage for the picture: at most three more ticks away.
    for (int i = 0; i < 4 && ProgressText(window) != stages[3]; ++i) Tick(window);
    ASSERT_EQ(ProgressText(window), stages[3]);
    // Light yellow throughout, black text on it.
    Capture during = CaptureWindow(window, L"driver-install-progress");
    EXPECT_GT(during.background, during.width * during.height / 2);
    EXPECT_GT(during.dark, 20);

    // Esc does not end the window while the installation runs.
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    PostMessageW(window, WM_CLOSE, 0, 0);
    Sleep(100);
    ASSERT_TRUE(IsWindow(window));

    // Long enough a look at the result for its picture.
    CDriverInstallDlg::Timing timing = CDriverInstallDlg::SetTiming(CDriverInstallDlg::Timing());
    timing.resultShownMs = 400;
    CDriverInstallDlg::SetTiming(timing);
    platform.Release();
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(window) || ProgressText(window) == L"驱动安装成功."; }));
    ASSERT_TRUE(IsWindow(window)) << "the window went without showing the result";
    Sleep(100);
    Capture after = CaptureWindow(window, L"driver-install-result");
    EXPECT_GT(after.background, after.width * after.height / 2);
    EXPECT_GT(after.dark, 20);
    EXPECT_TRUE(WaitFor([&] { return !DRIVER::DriverInstallRunning(); }));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(IsWindowEnabled(host));
    kit::SetDefaultOwner(nullptr);
    DestroyWindow(host);
    DWORD value = 1;
    EXPECT_TRUE(DriverInstalledValue(value));
    EXPECT_EQ(value, 0u);
    EXPECT_TRUE(boxes.calls.empty());
}

// The worker finds the system unrecognised: both of its messages, the failure text, no record.
TEST_F(DriverInstallWindow, AFailedInstallationShowsFailureAndRecordsNothing)
{
    HeldPlatform platform(false);
    kit::SetSystemVersionSource(&platform);
    testing_support::MessageBoxRecorder boxes;
    InstallDriver(nullptr, 0);
    ASSERT_TRUE(WaitFor([&] { return !ProgressWindows().empty(); }));
    HWND window = ProgressWindows()[0];
    CDriverInstallDlg::Timing timing = CDriverInstallDlg::SetTiming(CDriverInstallDlg::Timing());
    timing.resultShownMs = 400;
    CDriverInstallDlg::SetTiming(timing);
    platform.Release();
    ASSERT_TRUE(WaitFor([&] { return ProgressText(window) == L"驱动安装失败."; }));
    // A tick still queued when the result came must not cover it.
    SendMessageW(window, WM_TIMER, CDriverInstallDlg::kAnimationTimer, 0);
    EXPECT_EQ(ProgressText(window), L"驱动安装失败.");
    EXPECT_TRUE(WaitFor([&] { return !DRIVER::DriverInstallRunning(); }));
    DWORD value = 0;
    EXPECT_FALSE(DriverInstalledValue(value));
    ASSERT_EQ(boxes.calls.size(), 2u);
    EXPECT_EQ(boxes.calls[0].text, L"不识别此操作系统");
    EXPECT_EQ(boxes.calls[1].text, L"没有找到安装驱动程序，请检查您的安装包!");
}

TEST_F(DriverInstallWindow, TwoQuickCallsShowOneWindowAndALaterCallInstallsAgain)
{
    for (int round = 0; round < 2; ++round) {
        HeldPlatform platform(true);
        kit::SetSystemVersionSource(&platform);
        InstallDriver(nullptr, 0);
        InstallDriver(nullptr, 0);
        ASSERT_TRUE(WaitFor([&] { return !ProgressWindows().empty(); }));
        Sleep(100);
        EXPECT_EQ(ProgressWindows().size(), 1u);
        platform.Release();
        ASSERT_TRUE(WaitFor([&] { return !DRIVER::DriverInstallRunning(); }));
        EXPECT_TRUE(ProgressWindows().empty());
        kit::SetSystemVersionSource(nullptr);
    }
}

}  // namespace
