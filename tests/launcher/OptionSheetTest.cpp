// The settings sheet opened from the launcher's Settings button and driven from outside.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <shlobj.h>

#include <string>

#include "tests/support/LauncherHarness.h"

using namespace e2e;

namespace {

const int kSheetTexts[] = {9, 11, 12, 13, 201, 18, 19, 20, 21, 22, 23, 24, 25, 32, 33, 55, 56};
constexpr int kLaserRadio = 5078;
constexpr int kUdpRadio = 5035;
constexpr int kTcpRadio = 5036;
constexpr int kMouseRadio = 5034;
constexpr int kMultiPointRadio = 5080;
constexpr int kRestoreButton = 9;
constexpr int kEffectList = 5031;
constexpr int kPlaySelected = 5074;
constexpr int kStartButton = 5060;
constexpr int kConfigToolButton = 5019;
constexpr int kTimeField = 5077;
constexpr int kPasswordField = 5083;
constexpr int kAddButton = 5070;
constexpr int kDeleteAllButton = 5072;

std::wstring SheetText(int id, int language)
{
    return std::wstring(language == 1 ? L"中文" : L"English") + L"#" + std::to_wstring(id);
}

std::string ReadText(const std::wstring& path)
{
    return ReadBytes(path);
}

std::string WithValue(std::string xml, const std::string& key, int value)
{
    std::string open = "<" + key + ">";
    size_t start = xml.find(open);
    size_t end = xml.find("</" + key + ">", start);
    if (start == std::string::npos || end == std::string::npos) return xml;
    return xml.replace(start + open.size(), end - start - open.size(), std::to_string(value));
}

int ValueIn(const std::string& xml, const std::string& key)
{
    std::string open = "<" + key + ">";
    size_t start = xml.find(open);
    return start == std::string::npos ? -1 : std::atoi(xml.c_str() + start + open.size());
}

class OptionSheet : public testing::Test {
protected:
    void Start(const wchar_t* name, int language, int device)
    {
        install_.reset(new StagedInstall(name));
        std::string config = "[config]\r\nauto=0\r\nDEVICETYPE=" + std::to_string(device) +
                             "\r\nFilterWay=0\r\ncheck360 =0\r\n[version]\r\nlanguage=" + std::to_string(language) +
                             "\r\ndebug=0\r\n";
        install_->WriteConfig(config);
        title_ = UniqueTitle();
        sheetTitle_ = L"Sheet-" + title_;
        std::wstring text = L"6`" + title_ + L"` `" + title_ + L"`\n26`" + sheetTitle_ + L"` `" + sheetTitle_ + L"`\n";
        for (int id : kSheetTexts)
            text += std::to_wstring(id) + L"`" + SheetText(id, 1) + L"` `" + SheetText(id, 2) + L"`\n";
        install_->WriteLanguage(text);
    }

    void Launch()
    {
        launcher_.reset(new RunningLauncher(*install_, title_));
        ASSERT_NE(launcher_->Bar(), nullptr);
    }

    HWND OpenSheet()
    {
        launcher_->Command(kSettingsButton);
        return StagedInstall::WaitForWindow(sheetTitle_, 10000);
    }

    void SelectEntry(HWND sheet, int entry)
    {
        SelectSheetPage(sheet, entry);
        launcher_->Sync();
    }

    // The page of the sheet that holds control `id`.
    void LaunchWithSheet(HWND& sheet)
    {
        ASSERT_NO_FATAL_FAILURE(Launch());
        sheet = OpenSheet();
        ASSERT_NE(sheet, nullptr);
    }

    // Turns the sheet to `entry`, the page that holds `control`.
    void TurnTo(HWND sheet, int entry, int control, HWND& page)
    {
        SelectEntry(sheet, entry);
        page = PageWith(sheet, control);
        ASSERT_NE(page, nullptr);
    }

    static HWND PageWith(HWND sheet, int id)
    {
        for (HWND child = GetWindow(sheet, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (GetDlgItem(child, id)) return child;
        return nullptr;
    }

    bool CloseWith(HWND sheet, int button)
    {
        PostMessageW(sheet, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
        for (int i = 0; i < 200 && IsWindow(sheet); ++i) Sleep(25);
        launcher_->Sync();
        return !IsWindow(sheet);
    }

    std::wstring Config(const wchar_t* key) const
    {
        wchar_t value[64] = L"";
        GetPrivateProfileStringW(L"config", key, L"<missing>", value, 64, install_->Path(L"Bin\\config.ini").c_str());
        return value;
    }

    std::unique_ptr<StagedInstall> install_;
    std::unique_ptr<RunningLauncher> launcher_;
    std::wstring title_, sheetTitle_;
};

std::wstring ListEntry(HWND list, int index)
{
    wchar_t text[128] = L"";
    if (SendMessageW(list, LB_GETTEXTLEN, index, 0) < 128) SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

void ExpectEntriesOfLanguage(HWND sheet, int language)
{
    HWND list = FindWindowExW(sheet, nullptr, L"ListBox", nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 6);
    EXPECT_EQ(ListEntry(list, 0), SheetText(11, language));
    EXPECT_EQ(ListEntry(list, 1), SheetText(13, language));
    EXPECT_EQ(ListEntry(list, 2), SheetText(9, language));
    EXPECT_EQ(ListEntry(list, 3), L"屏幕管理");
    EXPECT_EQ(ListEntry(list, 4), SheetText(12, language));
    EXPECT_EQ(ListEntry(list, 5), SheetText(201, language));
    HWND restore = GetDlgItem(sheet, kRestoreButton);
    EXPECT_EQ(WindowText(restore), SheetText(18, language));
    EXPECT_TRUE(IsWindowEnabled(restore));
}

TEST_F(OptionSheet, ListsItsSixPagesInLanguageOneAndIgnoresEnterEscAndASecondCall)
{
    ASSERT_NO_FATAL_FAILURE(Start(L"OptionSheetLanguage1", 1, 1));
    HWND sheet = nullptr;
    ASSERT_NO_FATAL_FAILURE(LaunchWithSheet(sheet));
    ExpectEntriesOfLanguage(sheet, 1);
    EXPECT_EQ(GetWindow(sheet, GW_OWNER), launcher_->Bar()) << "stands on the bar";

    launcher_->Command(kSettingsButton);
    for (UINT key : {VK_RETURN, VK_ESCAPE, VK_SPACE}) PostMessageW(sheet, WM_KEYDOWN, key, 0);
    launcher_->Sync();
    EXPECT_TRUE(IsWindow(sheet));
    int sheets = 0;
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, nullptr, sheetTitle_.c_str()));) ++sheets;
    EXPECT_EQ(sheets, 1);

    SelectEntry(sheet, 5);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, kRestoreButton))) << "enabled on every page";
    EXPECT_TRUE(CloseWith(sheet, PSBTN_OK));
}

TEST_F(OptionSheet, ListsItsSixPagesInLanguageTwo)
{
    ASSERT_NO_FATAL_FAILURE(Start(L"OptionSheetLanguage2", 2, 0));
    HWND sheet = nullptr;
    ASSERT_NO_FATAL_FAILURE(LaunchWithSheet(sheet));
    ExpectEntriesOfLanguage(sheet, 2);
    EXPECT_TRUE(CloseWith(sheet, PSBTN_CANCEL));
}

TEST_F(OptionSheet, ChoosingTheLaserAsksForARestartAndCancelStillStoresTheOutputKeys)
{
    ASSERT_NO_FATAL_FAILURE(Start(L"OptionSheetLaser", 1, 0));
    DeleteFileW(install_->Path(L"data\\ConfigLaser.xml").c_str());
    HWND sheet = nullptr;
    ASSERT_NO_FATAL_FAILURE(LaunchWithSheet(sheet));
    HWND page = nullptr;
    ASSERT_NO_FATAL_FAILURE(TurnTo(sheet, 1, kLaserRadio, page));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, kUdpRadio))) << "the light device has no network output";

    PostMessageW(GetDlgItem(page, kLaserRadio), BM_CLICK, 0, 0);
    ASSERT_TRUE(install_->WaitForMessageBoxes(1, 10000));
    std::vector<MessageBoxRecord> boxes = install_->MessageBoxes();
    EXPECT_EQ(boxes[0].text, L"硬件改变,需重启软件生效");
    EXPECT_EQ(boxes[0].caption, L"信息提示");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(Config(L"DEVICETYPE"), L"2") << "at once";

    ASSERT_TRUE(CloseWith(sheet, PSBTN_CANCEL));
    std::string laser = ReadText(install_->Path(L"data\\ConfigLaser.xml"));
    // What the page showed from the light device's file (TCP) is what it stores for the laser.
    EXPECT_EQ(ValueIn(laser, "OSCMODE"), 0);
    EXPECT_EQ(ValueIn(laser, "TCPMODE"), 1);
    EXPECT_EQ(ValueIn(laser, "TRANSMIT"), 0);
    EXPECT_EQ(ValueIn(laser, "WIN7TOUCH"), 0);
    EXPECT_EQ(Config(L"DEVICETYPE"), L"2");
    EXPECT_EQ(Config(L"FilterWay"), L"0");
    EXPECT_EQ(Config(L"StartWin7Touch"), L"0");
}

TEST_F(OptionSheet, RestoreDefaultsShowsTheDefaultFileOnceTheGeneralPageWasShown)
{
    ASSERT_NO_FATAL_FAILURE(Start(L"OptionSheetDefaults", 1, 1));
    std::string sign = ReadText(install_->Path(L"data\\ConfigSign.xml"));
    WriteBytes(install_->Path(L"data\\ConfigSign.xml"), WithValue(WithValue(sign, "OSCMODE", 1), "TCPMODE", 0));
    WriteBytes(install_->Path(L"data\\DefaultConfigSign.xml"), WithValue(WithValue(sign, "OSCMODE", 0), "TCPMODE", 1));
    HWND sheet = nullptr;
    ASSERT_NO_FATAL_FAILURE(LaunchWithSheet(sheet));

    PostMessageW(GetDlgItem(sheet, kRestoreButton), BM_CLICK, 0, 0);
    launcher_->Sync();
    HWND page = nullptr;
    ASSERT_NO_FATAL_FAILURE(TurnTo(sheet, 1, kUdpRadio, page));
    EXPECT_EQ(SendMessageW(GetDlgItem(page, kUdpRadio), BM_GETCHECK, 0, 0), BST_CHECKED)
        << "restoring before the page was shown changed nothing";

    PostMessageW(GetDlgItem(sheet, kRestoreButton), BM_CLICK, 0, 0);
    launcher_->Sync();
    for (int id : {kMouseRadio, kMultiPointRadio, kUdpRadio})
        EXPECT_EQ(SendMessageW(GetDlgItem(page, id), BM_GETCHECK, 0, 0), BST_UNCHECKED) << id;
    EXPECT_EQ(SendMessageW(GetDlgItem(page, kTcpRadio), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(ValueIn(ReadText(install_->Path(L"data\\ConfigSign.xml")), "OSCMODE"), 1) << "nothing written yet";

    ASSERT_TRUE(CloseWith(sheet, PSBTN_CANCEL));
    std::string stored = ReadText(install_->Path(L"data\\ConfigSign.xml"));
    EXPECT_EQ(ValueIn(stored, "TCPMODE"), 1);
    EXPECT_EQ(ValueIn(stored, "OSCMODE"), 0);
}

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

int OwnedWindows(HWND owner)
{
    int count = 0;
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, nullptr, nullptr));)
        if (GetWindow(window, GW_OWNER) == owner && IsWindowVisible(window)) ++count;
    return count;
}

// A click on the list's first row, as the mouse would give it.
void ClickFirstRow(HWND list)
{
    HWND header = FindWindowExW(list, nullptr, WC_HEADERW, nullptr);
    RECT headerRect{};
    if (header) GetWindowRect(header, &headerRect);
    LPARAM point = MAKELPARAM(12, (headerRect.bottom - headerRect.top) + 6);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(list, WM_LBUTTONUP, 0, point);
}

TEST_F(OptionSheet, PlayingARowClosesTheSheetAndTheLauncherHidesAndWatchesTheEffect)
{
    ASSERT_NO_FATAL_FAILURE(Start(L"OptionSheetPlay", 1, 0));
    std::wstring native = AddEffectProgram(*install_, L"effects\\Solo\\effect.exe");
    std::wstring other = AddEffectProgram(*install_, L"effects\\Two\\fxSheetTwo.exe");
    KillProcesses(L"effect.exe");
    WritePlaylist(*install_, {{native, "5"}, {other, "6"}});
    ASSERT_NO_FATAL_FAILURE(Launch());
    ASSERT_TRUE(launcher_->Visible());
    HWND sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    HWND page = nullptr;
    ASSERT_NO_FATAL_FAILURE(TurnTo(sheet, 2, kEffectList, page));
    ClickFirstRow(GetDlgItem(page, kEffectList));
    launcher_->Sync();
    PostMessageW(GetDlgItem(page, kPlaySelected), BM_CLICK, 0, 0);

    ASSERT_TRUE(WaitForProcessCount(L"effect.exe", 1, 10000));
    for (int i = 0; i < 200 && IsWindow(sheet); ++i) Sleep(25);
    EXPECT_FALSE(IsWindow(sheet)) << "closed by playing";
    EXPECT_TRUE(launcher_->WaitVisible(false)) << "the launcher took the message";
    std::vector<DWORD> before = ProcessIds(L"effect.exe");

    // The watchdog restarts the native effect it was told about.
    launcher_->Timer(3);
    launcher_->Sync();
    std::vector<DWORD> after;
    for (int i = 0; i < 200; ++i) {
        after = ProcessIds(L"effect.exe");
        if (after.size() == 1 && after != before) break;
        Sleep(25);
    }
    EXPECT_EQ(after.size(), 1u);
    EXPECT_NE(after, before);
    launcher_.reset();
    KillProcesses(L"effect.exe");
}

// Registered, removed and registered again from the general page; what log-on would start,
// started from the system folder as log-on does, comes up with the installation's captions
// and plays its rotation.
TEST_F(OptionSheet, StartWithWindowsStartsTheLauncherInItsInstallationFolder)
{
    ASSERT_NO_FATAL_FAILURE(Start(L"OptionSheetStartWithWindows", 1, 0));
    wchar_t startup[MAX_PATH] = L"";
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_STARTUP | CSIDL_FLAG_CREATE, nullptr, 0, startup), S_OK);
    const std::wstring shortcut = std::wstring(startup) + L"\\Pavora.lnk";
    DeleteFileW(shortcut.c_str());
    // An entry as earlier versions wrote it goes with the new registration.
    const wchar_t old[] = L"\"C:\\old\\Pavora.exe\"";
    RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Pavora", REG_SZ, old, sizeof(old));
    HWND sheet = nullptr;
    ASSERT_NO_FATAL_FAILURE(LaunchWithSheet(sheet));
    HWND page = nullptr;
    ASSERT_NO_FATAL_FAILURE(TurnTo(sheet, 1, kStartButton, page));
    HWND button = GetDlgItem(page, kStartButton);
    EXPECT_EQ(WindowText(button), SheetText(25, 1));

    for (int click = 1; click <= 3; ++click) {
        PostMessageW(button, BM_CLICK, 0, 0);
        ASSERT_TRUE(install_->WaitForMessageBoxes(static_cast<size_t>(click), 10000));
        launcher_->Sync();
        bool on = click != 2;
        EXPECT_EQ(WindowText(button), on ? std::wstring(L"取消启动") : SheetText(25, 1)) << click;
        EXPECT_EQ(GetFileAttributesW(shortcut.c_str()) != INVALID_FILE_ATTRIBUTES, on) << click;
    }
    wchar_t value[600] = L"";
    DWORD bytes = sizeof(value);
    EXPECT_NE(RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"Pavora", RRF_RT_REG_SZ, nullptr, value, &bytes), ERROR_SUCCESS);
    std::vector<MessageBoxRecord> boxes = install_->MessageBoxes();
    EXPECT_EQ(boxes[0].text, L"开机启动成功");
    EXPECT_EQ(boxes[1].text, L"软件开机启动取消");
    EXPECT_EQ(boxes[1].caption, L"友情提示");
    EXPECT_TRUE(CloseWith(sheet, PSBTN_OK));
    launcher_.reset();

    KillProcesses(L"fxAtLogOn.exe");
    std::wstring effect = AddEffectProgram(*install_, L"effects\\LogOn\\fxAtLogOn.exe");
    WritePlaylist(*install_, {{effect, "5"}});
    install_->WriteConfig("[config]\r\nauto=1\r\nDEVICETYPE=0\r\ncheck360 =0\r\n[version]\r\nlanguage=1\r\n");
    wchar_t system[MAX_PATH] = L"";
    GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_TRUE(StartsFromShortcut(shortcut, system, title_, L"fxAtLogOn.exe"))
        << "the bar's caption comes from the installation's language file, and its rotation plays";
    KillProcesses(L"fxAtLogOn.exe");
    DeleteFileW(shortcut.c_str());
}

TEST_F(OptionSheet, EffectPageRefusesShortTimesAndWrongPasswordsAndCancelStillSaves)
{
    ASSERT_NO_FATAL_FAILURE(Start(L"OptionSheetEffectLimits", 1, 0));
    install_->WriteConfig("[config]\r\nauto=0\r\nDEVICETYPE=0\r\ncheck360 =0\r\npassword=Open\r\n[version]\r\nlanguage=1\r\n");
    HWND sheet = nullptr;
    ASSERT_NO_FATAL_FAILURE(LaunchWithSheet(sheet));
    HWND page = nullptr;
    ASSERT_NO_FATAL_FAILURE(TurnTo(sheet, 2, kEffectList, page));
    ASSERT_GT(SendMessageW(GetDlgItem(page, kEffectList), LVM_GETITEMCOUNT, 0, 0), 0) << "the staged playlist";

    SendMessageW(GetDlgItem(page, kTimeField), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"1.4"));
    PostMessageW(GetDlgItem(page, kAddButton), BM_CLICK, 0, 0);
    ASSERT_TRUE(install_->WaitForMessageBoxes(1, 10000));
    SendMessageW(GetDlgItem(page, kTimeField), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"3"));
    SendMessageW(GetDlgItem(page, kPasswordField), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"closed"));
    PostMessageW(GetDlgItem(page, kAddButton), BM_CLICK, 0, 0);
    ASSERT_TRUE(install_->WaitForMessageBoxes(2, 10000));
    launcher_->Sync();
    EXPECT_EQ(OwnedWindows(sheet), 0) << "no file dialog";
    std::vector<MessageBoxRecord> boxes = install_->MessageBoxes();
    EXPECT_EQ(boxes[0].text, L"单个效果时间不能小于1.500000分");
    EXPECT_EQ(boxes[0].caption, L"友情提示");
    EXPECT_EQ(boxes[1].text, L"效果解锁密码不对");

    PostMessageW(GetDlgItem(page, kDeleteAllButton), BM_CLICK, 0, 0);
    launcher_->Sync();
    ASSERT_TRUE(CloseWith(sheet, PSBTN_CANCEL));
    std::string playlist = ReadText(install_->Path(L"data\\EffectPath.xml"));
    EXPECT_EQ(playlist.find("<Effect>"), std::string::npos) << playlist;
    EXPECT_NE(playlist.find("<Effects"), std::string::npos);
}

TEST_F(OptionSheet, TheConfigurationToolButtonOpensTheToolBesideTheLauncher)
{
    ASSERT_NO_FATAL_FAILURE(Start(L"OptionSheetConfigTool", 1, 0));
    KillProcesses(L"Corvantis.exe");
    AddEffectProgram(*install_, L"Corvantis.exe");
    HWND sheet = nullptr;
    ASSERT_NO_FATAL_FAILURE(LaunchWithSheet(sheet));
    HWND page = nullptr;
    ASSERT_NO_FATAL_FAILURE(TurnTo(sheet, 1, kConfigToolButton, page));
    PostMessageW(GetDlgItem(page, kConfigToolButton), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitForProcessCount(L"Corvantis.exe", 1, 10000));
    EXPECT_TRUE(IsWindow(sheet)) << "the sheet stays";
    EXPECT_TRUE(CloseWith(sheet, PSBTN_CANCEL));
    KillProcesses(L"Corvantis.exe");
}

TEST_F(OptionSheet, AnEffectStartedMessageFromElsewhereWithAStrayPointerIsIgnored)
{
    ASSERT_NO_FATAL_FAILURE(Start(L"OptionSheetStrayPointer", 1, 0));
    ASSERT_NO_FATAL_FAILURE(Launch());
    for (WPARAM stray : {static_cast<WPARAM>(0x12345678), static_cast<WPARAM>(1), static_cast<WPARAM>(0x7FFE0000)})
        launcher_->Post(6568, stray, 0);
    EXPECT_TRUE(launcher_->Sync());
    EXPECT_TRUE(launcher_->Alive());
    EXPECT_TRUE(launcher_->Visible()) << "nothing was taken as started";
}

}  // namespace

namespace {

constexpr int kCameraList = 5061;
constexpr int kCameraGuid = 5095;
constexpr int kNormalCursorRadio = 5078;
constexpr int kDotCursorRadio = 5082;

// GetWindowText does not ask a control of another process for its text.
std::wstring ControlText(HWND control)
{
    wchar_t text[128] = L"";
    SendMessageW(control, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text));
    return text;
}

// The staged camera file in the library's page; No to the cursor question still stores the choice.
TEST_F(OptionSheet, ScreenPageShowsTheStagedCameraAndStoresTheDotCursorAfterNo)
{
    ASSERT_NO_FATAL_FAILURE(Start(L"OptionSheetScreen", 1, 0));
    launcher_.reset(new RunningLauncher(*install_, title_, IDNO));
    ASSERT_NE(launcher_->Bar(), nullptr);
    HWND sheet = OpenSheet();
    ASSERT_NE(sheet, nullptr);
    HWND page = nullptr;
    ASSERT_NO_FATAL_FAILURE(TurnTo(sheet, 3, kCameraList, page));
    HWND combo = GetDlgItem(page, kCameraList);
    ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(ControlText(combo), L"camera 1");
    EXPECT_EQ(ControlText(GetDlgItem(page, kCameraGuid)), L"{00000000-0000-0000-0000-000000000000}");
    EXPECT_EQ(SendDlgItemMessageW(page, kNormalCursorRadio, BM_GETCHECK, 0, 0), BST_CHECKED);

    PostMessageW(GetDlgItem(page, kDotCursorRadio), BM_CLICK, 0, 0);
    ASSERT_TRUE(install_->WaitForMessageBoxes(1, 10000));
    launcher_->Sync();
    std::vector<MessageBoxRecord> boxes = install_->MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u) << "No: no cursor change, so no failure either";
    EXPECT_EQ(boxes[0].text, L"确保融合软件已经停止拼接\n是否继续?");
    EXPECT_EQ(Config(L"bDotCursor"), L"1");

    ASSERT_TRUE(CloseWith(sheet, PSBTN_CANCEL));
    EXPECT_EQ(Config(L"MaskCommonCamera"), L"1");
    std::string after = ReadText(install_->Path(L"data\\multiplexer_settings.xml"));
    EXPECT_NE(after.find("<USED>1</USED>"), std::string::npos) << after;
    EXPECT_NE(after.find("<cameraname>camera 1</cameraname>"), std::string::npos) << after;
}

}  // namespace
