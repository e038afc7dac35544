#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/CurrentDirectoryScope.h"
#include "core/library/TessalyApi.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TempFolder.h"

using testing_support::ReadBytes;
using testing_support::TempFolder;

namespace {

std::wstring CurrentFolder()
{
    wchar_t folder[1024] = {};
    GetCurrentDirectoryW(1024, folder);
    return folder;
}

std::wstring TrimmedWide(const std::string& bytes)
{
    std::wstring text(bytes.begin(), bytes.end());  // the test folders are ASCII
    const std::wstring::size_type end = text.find_last_not_of(L" \r\n");
    return end == std::wstring::npos ? std::wstring() : text.substr(0, end + 1);
}

// What the command file wrote, once it has written it; empty after 20 s.
std::string WaitForFile(const std::wstring& path)
{
    for (int waited = 0; waited < 20000; waited += 50) {
        const std::string bytes = ReadBytes(path);
        if (bytes.find('\n') != std::string::npos) return bytes;
        Sleep(50);
    }
    return std::string();
}

// A command file that records the folder it runs in.
class CommandFileEffectTest : public testing::Test {
protected:
    CommandFileEffectTest()
    {
        effectFolder_ = folder_.MakeFolder(L"effects\\Probe One");
        report_ = folder_.Path() + L"\\where.txt";
        const std::string script = "@cd > \"" + std::string(report_.begin(), report_.end()) + "\"\r\n";
        folder_.WriteFile(L"effects\\Probe One\\probe.cmd", script);
    }

    TempFolder folder_;
    std::wstring effectFolder_;
    std::wstring report_;
};

TEST_F(CommandFileEffectTest, StartsFromItsOwnFolderAndRestoresTheCurrentOne)
{
    kit::CurrentDirectoryScope inInstallation(folder_.Path());
    const std::wstring before = CurrentFolder();

    ASSERT_TRUE(PlayEffect((effectFolder_ + L"\\probe.cmd").c_str()));
    EXPECT_EQ(before, CurrentFolder());
    EXPECT_EQ(0, _wcsicmp(effectFolder_.c_str(), TrimmedWide(WaitForFile(report_)).c_str()));
}

TEST_F(CommandFileEffectTest, RelativePathStillLeadsToTheFileFromItsFolder)
{
    kit::CurrentDirectoryScope inInstallation(folder_.Path());
    const std::wstring before = CurrentFolder();

    ASSERT_TRUE(PlayEffect(L"effects\\Probe One\\probe.cmd"));
    EXPECT_EQ(before, CurrentFolder());
    EXPECT_EQ(0, _wcsicmp(effectFolder_.c_str(), TrimmedWide(WaitForFile(report_)).c_str()));
}

TEST(PlayEffect, FailsWithoutChangingTheCurrentFolder)
{
    TempFolder folder;
    const std::wstring unopenable = folder.WriteFile(L"fx\\effect.pavora-unknown", "x");
    kit::CurrentDirectoryScope inInstallation(folder.Path());
    const std::wstring before = CurrentFolder();

    EXPECT_FALSE(PlayEffect((folder.Path() + L"\\fx\\gone.cmd").c_str()));
    EXPECT_FALSE(PlayEffect(L""));
    EXPECT_FALSE(PlayEffect(nullptr));
    EXPECT_EQ(before, CurrentFolder());
    // The file is there but the shell knows no program for it.
    EXPECT_FALSE(PlayEffect(unopenable.c_str()));
    EXPECT_EQ(before, CurrentFolder());
}

TEST(IsCplusEffect, OnlyTheLowerCaseProgramNameIsNative)
{
    EXPECT_TRUE(IsCplusEffect(L"C:\\effects\\Ripples\\effect.exe"));
    EXPECT_FALSE(IsCplusEffect(L"C:\\effects\\Ripples\\Effect.exe"));
    EXPECT_FALSE(IsCplusEffect(L"C:\\EFFECTS\\RIPPLES\\EFFECT.EXE"));
    EXPECT_FALSE(IsCplusEffect(L"C:\\effects\\Aurora\\aurora.cmd"));
}

class TopLevelWindow {
public:
    TopLevelWindow(const wchar_t* className, const wchar_t* title)
        : window_(CreateWindowExW(0, className, title, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr))
    {
    }
    ~TopLevelWindow()
    {
        if (window_) DestroyWindow(window_);
    }
    HWND Get() const { return window_; }

private:
    HWND window_;
};

TEST(GetFlashWnd, PrefersTheTitleToThePlayerClass)
{
    WNDCLASSW playerClass = {};
    playerClass.lpfnWndProc = DefWindowProcW;
    playerClass.hInstance = GetModuleHandleW(nullptr);
    playerClass.lpszClassName = L"ShockwaveFlash";
    RegisterClassW(&playerClass);

    EXPECT_EQ(nullptr, GetFlashWnd());
    {
        TopLevelWindow player(L"ShockwaveFlash", L"some movie");
        ASSERT_NE(nullptr, player.Get());
        EXPECT_EQ(player.Get(), GetFlashWnd());
        {
            TopLevelWindow effect(L"STATIC", L"Solmira");
            ASSERT_NE(nullptr, effect.Get());
            EXPECT_EQ(effect.Get(), GetFlashWnd());
        }
        EXPECT_EQ(player.Get(), GetFlashWnd());
    }
    EXPECT_EQ(nullptr, GetFlashWnd());
    UnregisterClassW(L"ShockwaveFlash", GetModuleHandleW(nullptr));
}

}  // namespace
