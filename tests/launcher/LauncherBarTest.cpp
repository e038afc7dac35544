#include <gtest/gtest.h>

#include "tests/support/LauncherHarness.h"

using namespace e2e;

namespace {

const char kLightConfig[] =
    "[config]\r\nauto=0\r\nDEVICETYPE=0\r\nFilterWay=2\r\nSendSocket=1\r\nbDotCursor=0\r\ncheck360 =0\r\n"
    "manualcalibrate=1\r\n[version]\r\nlanguage=1\r\n";

class LauncherBar : public testing::Test {
protected:
    // A launcher in a fresh installation with the given configuration.
    void Start(const wchar_t* name, const std::string& config, int messageBoxAnswer = 0)
    {
        install_.reset(new StagedInstall(name));
        install_->WriteConfig(config);
        title_ = UseBarLanguage(*install_);
        launcher_.reset(new RunningLauncher(*install_, title_, messageBoxAnswer));
        ASSERT_NE(launcher_->Bar(), nullptr) << "the bar did not appear";
    }

    std::wstring ConfigValue(const wchar_t* section, const wchar_t* key) const
    {
        wchar_t value[128] = L"";
        GetPrivateProfileStringW(section, key, L"<missing>", value, 128, install_->Path(L"Bin\\config.ini").c_str());
        return value;
    }

    std::unique_ptr<StagedInstall> install_;
    std::unique_ptr<RunningLauncher> launcher_;
    std::wstring title_;
};

std::wstring ComboItem(HWND box, int index)
{
    wchar_t text[64] = L"";
    if (SendMessageW(box, CB_GETLBTEXTLEN, index, 0) < 64) SendMessageW(box, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

void ExpectCaptionsOfLanguage(const RunningLauncher& launcher, const std::wstring& title, int language)
{
    EXPECT_EQ(WindowText(launcher.Bar()), title);
    EXPECT_EQ(launcher.Text(kStatusText), BarText(28, language));
    EXPECT_EQ(launcher.Text(kSettingsButton), BarText(1, language));
    EXPECT_EQ(launcher.Text(kPointCountLabel), BarText(5, language));
    EXPECT_EQ(launcher.Text(kCalibrateButton), BarText(2, language));
    EXPECT_EQ(launcher.Text(kRotationButton), BarText(3, language));
    EXPECT_EQ(launcher.Text(kHideButton), BarText(4, language));
    EXPECT_EQ(launcher.Text(kQuickButton), L"快捷") << "the quick button keeps its resource text";
}

}  // namespace

TEST_F(LauncherBar, ShowsTheCaptionsOfLanguageOneAndTheFourPointCounts)
{
    ASSERT_NO_FATAL_FAILURE(Start(L"LauncherBarLanguage1", kLightConfig));
    ExpectCaptionsOfLanguage(*launcher_, title_, 1);

    HWND box = launcher_->Control(kPointCountBox);
    ASSERT_EQ(SendMessageW(box, CB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(ComboItem(box, 0), L"4");
    EXPECT_EQ(ComboItem(box, 1), L"16");
    EXPECT_EQ(ComboItem(box, 2), L"25");
    EXPECT_EQ(ComboItem(box, 3), L"36");
    EXPECT_EQ(SendMessageW(box, CB_GETCURSEL, 0, 0), 0);

    LONG style = GetWindowLongW(launcher_->Bar(), GWL_STYLE);
    LONG extended = GetWindowLongW(launcher_->Bar(), GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & WS_SYSMENU) << "no close box";
    EXPECT_TRUE(extended & WS_EX_TOPMOST);
    EXPECT_TRUE(extended & WS_EX_NOACTIVATE);
    EXPECT_TRUE(install_->MessageBoxes().empty()) << "Alt+Esc registered, nothing to report";
}

TEST_F(LauncherBar, ShowsTheCaptionsOfLanguageTwo)
{
    ASSERT_NO_FATAL_FAILURE(Start(L"LauncherBarLanguage2", "[config]\r\nDEVICETYPE=0\r\n[version]\r\nlanguage=2\r\n"));
    ExpectCaptionsOfLanguage(*launcher_, title_, 2);
}

TEST_F(LauncherBar, QuickButtonIsDisabledWithoutPenModeAndEnabledForTheLaser)
{
    ASSERT_NO_FATAL_FAILURE(Start(L"LauncherBarQuickLight", "[config]\r\nDEVICETYPE=3\r\n"));
    EXPECT_FALSE(IsWindowEnabled(launcher_->Control(kQuickButton)));
    launcher_.reset();
    install_.reset();

    ASSERT_NO_FATAL_FAILURE(Start(L"LauncherBarQuickLaser", "[config]\r\nDEVICETYPE=2\r\ncheck360 =0\r\n"));
    EXPECT_TRUE(IsWindowEnabled(launcher_->Control(kQuickButton)));
}

TEST_F(LauncherBar, EnterSpaceAndEscNeverCloseTheBarAndEscShowsIt)
{
    ASSERT_NO_FATAL_FAILURE(Start(L"LauncherBarKeys", kLightConfig));
    launcher_->Command(kHideButton);
    ASSERT_TRUE(launcher_->WaitVisible(false));

    HWND button = launcher_->Control(kSettingsButton);
    PostMessageW(button, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageW(button, WM_KEYDOWN, VK_SPACE, 0x00390001);
    ASSERT_TRUE(launcher_->Sync());
    EXPECT_FALSE(launcher_->Visible()) << "Enter and Space do not show the bar";

    PostMessageW(button, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    EXPECT_TRUE(launcher_->WaitVisible(true));
    PostMessageW(launcher_->Control(kCalibrateButton), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageW(launcher_->Control(kCalibrateButton), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    ASSERT_TRUE(launcher_->Sync());
    EXPECT_TRUE(launcher_->Alive());
    EXPECT_TRUE(IsWindow(launcher_->Bar()));
}

TEST_F(LauncherBar, AltEscEndsTheLauncherAndNoOtherModifierDoes)
{
    ASSERT_NO_FATAL_FAILURE(Start(L"LauncherBarAltEsc", kLightConfig));
    launcher_->HotKey(L"Alt+ESC", MOD_CONTROL, VK_ESCAPE);
    launcher_->HotKey(L"Alt+ESC", MOD_ALT | MOD_SHIFT, VK_ESCAPE);
    launcher_->HotKey(L"Alt+ESC", MOD_ALT, VK_F4);
    launcher_->HotKey(L"Alt+VK_F1", MOD_ALT, VK_F1);  // refresh the background: nothing to see
    ASSERT_TRUE(launcher_->Sync());
    EXPECT_TRUE(launcher_->Alive());

    launcher_->HotKey(L"Alt+ESC", MOD_ALT, VK_ESCAPE);
    EXPECT_TRUE(WaitForExit(launcher_->Process(), 10000));
}

TEST_F(LauncherBar, ExitMenuItemEndsTheLauncher)
{
    ASSERT_NO_FATAL_FAILURE(Start(L"LauncherBarExit", kLightConfig));
    launcher_->Command(kMenuExit, 0);
    EXPECT_TRUE(WaitForExit(launcher_->Process(), 10000));
}

TEST_F(LauncherBar, ShowRequestBringsTheHiddenBarBack)
{
    ASSERT_NO_FATAL_FAILURE(Start(L"LauncherBarShowRequest", kLightConfig));
    launcher_->Command(kHideButton);
    ASSERT_TRUE(launcher_->WaitVisible(false));
    launcher_->Post(kShowBarMessage);
    EXPECT_TRUE(launcher_->WaitVisible(true));
}

TEST_F(LauncherBar, ResetAnsweredYesClearsOnlyTheFilterWayAndTheDotCursor)
{
    std::string config = kLightConfig;
    config.replace(config.find("bDotCursor=0"), 12, "bDotCursor=1");
    ASSERT_NO_FATAL_FAILURE(Start(L"LauncherBarResetYes", config, IDYES));
    launcher_->Command(kMenuReset, 0);
    ASSERT_TRUE(install_->WaitForMessageBoxes(1, 10000));
    ASSERT_TRUE(launcher_->Sync());

    std::vector<MessageBoxRecord> boxes = install_->MessageBoxes();
    EXPECT_EQ(boxes[0].caption, L"友情提示");
    EXPECT_EQ(boxes[0].text, L"是否重置所有参数?");
    EXPECT_EQ(boxes[0].type & MB_TYPEMASK, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(ConfigValue(L"config", L"FilterWay"), L"0");
    EXPECT_EQ(ConfigValue(L"config", L"bDotCursor"), L"0");
    EXPECT_EQ(ConfigValue(L"config", L"auto"), L"0");
    EXPECT_EQ(ConfigValue(L"config", L"DEVICETYPE"), L"0");
    EXPECT_EQ(ConfigValue(L"config", L"SendSocket"), L"1");
    EXPECT_EQ(ConfigValue(L"config", L"manualcalibrate"), L"1");
    EXPECT_EQ(ConfigValue(L"version", L"language"), L"1");
}

TEST_F(LauncherBar, ResetAnsweredNoChangesNothing)
{
    ASSERT_NO_FATAL_FAILURE(Start(L"LauncherBarResetNo", kLightConfig, IDNO));
    std::string before = ReadBytes(install_->Path(L"Bin\\config.ini"));
    launcher_->Command(kMenuReset, 0);
    ASSERT_TRUE(install_->WaitForMessageBoxes(1, 10000));
    ASSERT_TRUE(launcher_->Sync());
    EXPECT_EQ(install_->MessageBoxes().size(), 1u) << "only the question";
    EXPECT_EQ(ReadBytes(install_->Path(L"Bin\\config.ini")), before);
}

TEST_F(LauncherBar, EveryPointCountCanBeChosenAndCalibrated)
{
    ASSERT_NO_FATAL_FAILURE(Start(L"LauncherBarPoints", kLightConfig));
    HWND box = launcher_->Control(kPointCountBox);
    for (int index = 3; index >= 0; --index) {
        PostMessageW(box, CB_SETCURSEL, index, 0);
        launcher_->Command(kPointCountBox, CBN_SELCHANGE);
        launcher_->Command(kCalibrateButton);
        launcher_->Command(32772, 0);  // the tray's calibrate item
        ASSERT_TRUE(launcher_->Sync());
        EXPECT_EQ(SendMessageW(box, CB_GETCURSEL, 0, 0), index);
    }
    launcher_->Command(32779, 0);  // end calibration
    ASSERT_TRUE(launcher_->Sync());
    EXPECT_TRUE(launcher_->Alive());
    EXPECT_TRUE(install_->MessageBoxes().empty());
}

TEST_F(LauncherBar, MediaShowIsRefusedWithoutPenMode)
{
    ASSERT_NO_FATAL_FAILURE(Start(L"LauncherBarMediaShow", kLightConfig));
    launcher_->Command(kMenuMediaShow, 0);
    ASSERT_TRUE(install_->WaitForMessageBoxes(1, 10000));
    MessageBoxRecord box = install_->MessageBoxes()[0];
    EXPECT_EQ(box.caption, L"友情提示");
    EXPECT_EQ(box.text, L"此功能必须设置为win7多点模式\n必须是激光器或者签到笔");
    EXPECT_TRUE(launcher_->Alive());
}

// The quick tool bar of a pen device, shown from the launcher's Quick button, belongs to the
// launcher's process and stays until the launcher ends, which it does cleanly with the bar shown.
TEST_F(LauncherBar, QuickButtonShowsTheToolBarWhichEndsWithTheLauncher)
{
    ASSERT_NO_FATAL_FAILURE(Start(L"LauncherBarQuickBar", "[config]\r\nDEVICETYPE=1\r\ncheck360 =0\r\nbDotCursor=1\r\n"));
    launcher_->Command(kQuickButton);
    ASSERT_TRUE(launcher_->Sync());
    HWND bar = FindWindowW(nullptr, L"快捷工具条");
    ASSERT_NE(bar, nullptr);
    DWORD owner = 0;
    GetWindowThreadProcessId(bar, &owner);
    EXPECT_EQ(owner, GetProcessId(launcher_->Process()));
    EXPECT_TRUE(IsWindowVisible(bar));
    RECT window{};
    GetWindowRect(bar, &window);
    EXPECT_EQ(window.top, GetSystemMetrics(SM_CYSCREEN) - 150);

    launcher_->Command(kMenuExit, 0);
    ASSERT_TRUE(WaitForExit(launcher_->Process(), 10000));
    DWORD code = 1;
    GetExitCodeProcess(launcher_->Process(), &code);
    EXPECT_EQ(code, 0u);
}
