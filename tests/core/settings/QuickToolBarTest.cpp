// The quick tool bar inside this process: its labels and keys from the configuration,
// the keys it sends to a window of the test's own that holds the focus, the click-mode
// pair, its place on the screen and the export that shows it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "core/frame/LibraryState.h"
#include "core/library/TessalyApi.h"
#include "core/resources/ToolBarDlg_rc.h"
#include "core/settings/CDlgToolBar.h"
#include "core/text/ConfigFile.h"
#include "tests/support/ScratchFolder.h"

namespace {

using KeyList = std::vector<std::pair<std::wstring, std::wstring>>;

// A configuration whose [QuickKey] section holds `keys` in this order (none: no section).
class QuickKeyFolder : public testing_support::ScratchFolder {
public:
    explicit QuickKeyFolder(const KeyList& keys) : ScratchFolder(L"quickbar")
    {
        Write(L"Bin\\config.ini", "[config]\r\nDEVICETYPE=1\r\n");
        for (const auto& key : keys)
            WritePrivateProfileStringW(L"QuickKey", key.first.c_str(), key.second.c_str(), tessaly::config::kPath);
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, tessaly::config::kPath);
    }
};

struct KeyEventSeen {
    UINT message;
    WPARAM key;
    UINT scanCode;
};

// A plain top-level window that takes the keyboard focus and records the keys it gets.
// Alt+F4 would close it: it only notes the close.
class FocusWindow {
public:
    FocusWindow()
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QuickBarFocusWindow";
        RegisterClassW(&wc);
        window_ = CreateWindowExW(0, wc.lpszClassName, L"focus", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200,
                                  nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetForegroundWindow(window_);
        SetFocus(window_);
    }
    ~FocusWindow() { DestroyWindow(window_); }

    HWND Handle() const { return window_; }

    std::vector<KeyEventSeen> keys;
    int closes = 0;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto self = reinterpret_cast<FocusWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self) {
            switch (message) {
            case WM_KEYDOWN:
            case WM_KEYUP:
            case WM_SYSKEYDOWN:
            case WM_SYSKEYUP:
                self->keys.push_back({message, wParam, static_cast<UINT>((lParam >> 16) & 0xFF)});
                break;
            case WM_CLOSE:
                ++self->closes;
                return 0;
            default:
                break;
            }
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
};

void Pump()
{
    for (int round = 0; round < 20; ++round) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}

void Press(HWND bar, int id)
{
    SendMessageW(bar, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(bar, id)));
}

std::wstring Text(HWND bar, int id)
{
    wchar_t text[64] = L"";
    GetDlgItemTextW(bar, id, text, 63);
    return text;
}

// Key-down and key-up of `key`, each with the key's scan code.
std::vector<KeyEventSeen> Stroke(WPARAM key)
{
    UINT scan = MapVirtualKeyW(static_cast<UINT>(key), 0);
    return {{WM_KEYDOWN, key, scan}, {WM_KEYUP, key, scan}};
}

std::vector<std::pair<UINT, WPARAM>> Messages(const std::vector<KeyEventSeen>& keys)
{
    std::vector<std::pair<UINT, WPARAM>> out;
    for (const auto& k : keys) out.push_back({k.message, k.key});
    return out;
}

}  // namespace

TEST(QuickToolBar, LabelsAndKeysComeFromTheSectionInFileOrder)
{
    struct Case {
        const char* what;
        KeyList section;
        std::wstring label1, label2;
        std::vector<int> keys;
    };
    const Case cases[] = {
        {"two keys", {{L"打开", L"13"}, {L"下一页", L"34"}}, L"打开", L"下一页", {13, 34}},
        {"one key labels nothing", {{L"F5", L"116"}}, L"自定义1", L"自定义2 ", {116}},
        {"a zero key labels but is left out", {{L"A", L"0"}, {L"B", L"65"}}, L"A", L"B", {65}},
        {"text is no key", {{L"x", L"abc"}, {L"y", L"33"}, {L"z", L"34"}}, L"x", L"y", {33, 34}},
        {"no section", {}, L"自定义1", L"自定义2 ", {}},
    };
    for (const Case& c : cases) {
        QuickKeyFolder folder(c.section);
        CDlgToolBar bar;
        ASSERT_TRUE(bar.Create(nullptr)) << c.what;
        EXPECT_EQ(Text(bar.Handle(), IDC_TOOLBAR_CUSTOM1), c.label1) << c.what;
        EXPECT_EQ(Text(bar.Handle(), IDC_TOOLBAR_CUSTOM2), c.label2) << c.what;
        std::vector<int> keys;
        for (const auto& k : bar.QuickKeys()) keys.push_back(k.key);
        EXPECT_EQ(keys, c.keys) << c.what;
    }
}

TEST(QuickToolBar, SendsItsKeysToTheWindowWithTheFocus)
{
    QuickKeyFolder folder({{L"A", L"0"}, {L"B", L"65"}});
    CDlgToolBar bar;
    ASSERT_TRUE(bar.Create(nullptr));
    bar.Show(SW_SHOWNOACTIVATE);
    FocusWindow focus;
    Pump();
    ASSERT_EQ(GetFocus(), focus.Handle());

    Press(bar.Handle(), IDC_TOOLBAR_ESC);
    Pump();
    EXPECT_EQ(Messages(focus.keys), Messages(Stroke(VK_ESCAPE)));
    ASSERT_EQ(focus.keys.size(), 2u);
    EXPECT_EQ(focus.keys[0].scanCode, MapVirtualKeyW(VK_ESCAPE, 0));

    // Button 1 is labelled A yet sends B's key; button 2 sends nothing.
    focus.keys.clear();
    Press(bar.Handle(), IDC_TOOLBAR_CUSTOM1);
    Press(bar.Handle(), IDC_TOOLBAR_CUSTOM2);
    Pump();
    EXPECT_EQ(Messages(focus.keys), Messages(Stroke(65)));

    focus.keys.clear();
    Press(bar.Handle(), IDC_TOOLBAR_ALT_F4);
    Pump();
    std::vector<std::pair<UINT, WPARAM>> altF4 = {
        {WM_SYSKEYDOWN, VK_MENU}, {WM_SYSKEYDOWN, VK_F4}, {WM_SYSKEYUP, VK_F4}, {WM_KEYUP, VK_MENU}};
    EXPECT_EQ(Messages(focus.keys), altF4);
    EXPECT_EQ(focus.closes, 1);
    EXPECT_EQ(GetFocus(), focus.Handle());
}

TEST(QuickToolBar, ClickModeButtonsFormAPairAndHideKeepsTheMode)
{
    QuickKeyFolder folder({});
    tessaly::Library().clickMode = 0;
    CDlgToolBar bar;
    ASSERT_TRUE(bar.Create(nullptr));
    HWND right = bar.Item(IDC_TOOLBAR_RIGHT_CLICK);
    HWND twice = bar.Item(IDC_TOOLBAR_DOUBLE_CLICK);

    Press(bar.Handle(), IDC_TOOLBAR_RIGHT_CLICK);
    EXPECT_EQ(tessaly::Library().clickMode, 1);
    EXPECT_FALSE(IsWindowEnabled(right));
    EXPECT_TRUE(IsWindowEnabled(twice));

    Press(bar.Handle(), IDC_TOOLBAR_DOUBLE_CLICK);
    EXPECT_EQ(tessaly::Library().clickMode, 2);
    EXPECT_TRUE(IsWindowEnabled(right));
    EXPECT_FALSE(IsWindowEnabled(twice));

    bar.Show(SW_SHOWNOACTIVATE);
    Press(bar.Handle(), IDC_TOOLBAR_RIGHT_CLICK);
    Press(bar.Handle(), IDC_TOOLBAR_HIDE);
    EXPECT_EQ(tessaly::Library().clickMode, 1);
    EXPECT_TRUE(IsWindowEnabled(right));
    EXPECT_TRUE(IsWindowEnabled(twice));
    EXPECT_FALSE(bar.IsVisible());
    tessaly::Library().clickMode = 0;
}

TEST(QuickToolBar, ExportCreatesOneTopmostBarForPenDevicesOnly)
{
    QuickKeyFolder folder({{L"打开", L"13"}, {L"下一页", L"34"}});
    int savedDevice = deviceType;
    deviceType = 0;
    ShowQuickToolBar(SW_SHOWNOACTIVATE);
    EXPECT_EQ(QuickToolBar().Handle(), nullptr);

    deviceType = 1;
    ShowQuickToolBar(SW_SHOWNOACTIVATE);
    HWND bar = QuickToolBar().Handle();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(IsWindowVisible(bar));
    EXPECT_EQ(GetParent(bar), nullptr);
    LONG_PTR exStyle = GetWindowLongPtrW(bar, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_NOACTIVATE);
    EXPECT_EQ(QuickToolBar().Title(), L"快捷工具条");

    // 150 pixels above the bottom, left where the centring put it; seven buttons fill 301 units.
    RECT window{}, units{0, 0, 301, 38}, client{};
    GetWindowRect(bar, &window);
    GetClientRect(bar, &client);
    MapDialogRect(bar, &units);
    EXPECT_EQ(window.top, GetSystemMetrics(SM_CYSCREEN) - 150);
    EXPECT_EQ(client.right, units.right);
    EXPECT_EQ(client.bottom, units.bottom);
    int centredLeft = (GetSystemMetrics(SM_CXSCREEN) - (window.right - window.left)) / 2;
    EXPECT_LE(abs(window.left - centredLeft), 1);

    // Read once per process: a changed section shows at the next start only.
    WritePrivateProfileStringW(L"QuickKey", L"打开", nullptr, tessaly::config::kPath);
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, tessaly::config::kPath);
    ShowQuickToolBar(SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(bar));
    ShowQuickToolBar(SW_SHOWNOACTIVATE);
    EXPECT_EQ(QuickToolBar().Handle(), bar);
    EXPECT_EQ(Text(bar, IDC_TOOLBAR_CUSTOM1), L"打开");
    ASSERT_EQ(QuickToolBar().QuickKeys().size(), 2u);

    QuickToolBar().Destroy();
    deviceType = savedDevice;
}
