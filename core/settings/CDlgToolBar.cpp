#include "core/settings/CDlgToolBar.h"

#include "core/frame/LibraryState.h"
#include "core/resources/ToolBarDlg_rc.h"
#include "core/text/ConfigFile.h"

namespace {

void KeyEvent(BYTE key, DWORD flags)
{
    keybd_event(key, static_cast<BYTE>(MapVirtualKeyW(key, 0)), flags, 0);
}

void PressKey(BYTE key)
{
    KeyEvent(key, 0);
    KeyEvent(key, KEYEVENTF_KEYUP);
}

}  // namespace

CDlgToolBar& QuickToolBar()
{
    static CDlgToolBar bar;
    return bar;
}

CDlgToolBar::CDlgToolBar() : kit::Dialog(IDD_QUICK_TOOLBAR, nullptr) {}

BOOL CDlgToolBar::OnInitDialog()
{
    ReadQuickKeys();
    RECT window{};
    GetWindowRect(Handle(), &window);
    MoveWindow(Handle(), window.left, GetSystemMetrics(SM_CYSCREEN) - 150, window.right - window.left,
               window.bottom - window.top, FALSE);
    return TRUE;
}

// The first two names label the buttons even when a value of 0 leaves them out of the
// list, so labels and keys can fall out of step; configuration files in use are read as
// they always were.
void CDlgToolBar::ReadQuickKeys()
{
    namespace config = tessaly::config;
    quickKeys_.clear();
    std::vector<tstring> names = config::SectionKeys(config::kQuickKeySection);
    for (tstring& name : names) {
        int value = config::ReadInt(config::kQuickKeySection, name.Data(), 0);
        if (value != 0) quickKeys_.push_back({name, value});
    }
    if (names.size() >= 2) {
        SetItemText(IDC_TOOLBAR_CUSTOM1, names[0].Data());
        SetItemText(IDC_TOOLBAR_CUSTOM2, names[1].Data());
    }
}

bool CDlgToolBar::OnCommand(WORD id, WORD code, HWND)
{
    if (code != BN_CLICKED) return false;
    switch (id) {
    case IDC_TOOLBAR_RIGHT_CLICK:
        SetClickMode(1, IDC_TOOLBAR_RIGHT_CLICK, IDC_TOOLBAR_DOUBLE_CLICK);
        return true;
    case IDC_TOOLBAR_DOUBLE_CLICK:
        SetClickMode(2, IDC_TOOLBAR_DOUBLE_CLICK, IDC_TOOLBAR_RIGHT_CLICK);
        return true;
    case IDC_TOOLBAR_ESC:
        PressKey(VK_ESCAPE);
        return true;
    case IDC_TOOLBAR_ALT_F4:
        KeyEvent(VK_MENU, 0);
        KeyEvent(VK_F4, 0);
        KeyEvent(VK_F4, KEYEVENTF_KEYUP);
        KeyEvent(VK_MENU, KEYEVENTF_KEYUP);
        return true;
    case IDC_TOOLBAR_CUSTOM1:
        SendQuickKey(0);
        return true;
    case IDC_TOOLBAR_CUSTOM2:
        SendQuickKey(1);
        return true;
    case IDC_TOOLBAR_HIDE:
        OnHide();
        return true;
    default:
        return false;
    }
}

// A click must not take the focus from the window the keys are meant for.
INT_PTR CDlgToolBar::OnMessage(UINT message, WPARAM, LPARAM, bool& handled)
{
    if (message != WM_MOUSEACTIVATE) return 0;
    handled = true;
    return MA_NOACTIVATE;
}

void CDlgToolBar::SetClickMode(int mode, int pressed, int other)
{
    tessaly::Library().clickMode = mode;
    EnableWindow(Item(pressed), FALSE);
    EnableWindow(Item(other), TRUE);
}

void CDlgToolBar::SendQuickKey(size_t index)
{
    if (index < quickKeys_.size()) PressKey(static_cast<BYTE>(quickKeys_[index].key & 0xFF));
}

void CDlgToolBar::OnHide()
{
    EnableWindow(Item(IDC_TOOLBAR_RIGHT_CLICK), TRUE);
    EnableWindow(Item(IDC_TOOLBAR_DOUBLE_CLICK), TRUE);
    Show(SW_HIDE);
}
