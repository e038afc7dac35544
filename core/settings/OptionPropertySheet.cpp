#include "core/settings/OptionPropertySheet.h"

#include "core/frame/TrackerFiles.h"
#include "core/settings/LanguageCaption.h"
#include "framework/Handles.h"

namespace option {

COptionPropertySheet::COptionPropertySheet() : Sheet(LanguageText(L"26"), nullptr, 0)
{
    SetLook(Look::List, 100);
    AddHeaderFlags(PSH_HASHELP);
    AddPage(video_);
    AddPage(general_);
    AddPage(effect_);
    AddPage(screenManage_);
    AddPage(scene_);
    SetActivePage(0);
}

BOOL COptionPropertySheet::OnInitDialog()
{
    BOOL result = Sheet::OnInitDialog();
    SetDlgItemTextW(Handle(), kRestoreDefaultsButton, LanguageText(L"18").c_str());
    EnableRestoreDefaults();
    CentreOnOwner();
    return result;
}

BOOL COptionPropertySheet::InitNavigationControl()
{
    if (GetLook() == Look::List) {
        HWND tab = PropSheet_GetTabControl(Handle());
        // The screen management entry keeps its template's caption.
        const struct {
            int item;
            const wchar_t* text;
        } kEntries[] = {{0, L"11"}, {1, L"13"}, {2, L"9"}, {4, L"12"}};
        for (const auto& entry : kEntries) {
            std::wstring text = LanguageText(entry.text);
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = &text[0];
            TabCtrl_SetItem(tab, entry.item, &item);
        }
        EnableRestoreDefaults();
    }
    return Sheet::InitNavigationControl();
}

void COptionPropertySheet::CentreOnOwner()
{
    RECT sheet{};
    GetWindowRect(Handle(), &sheet);
    HWND owner = GetWindow(Handle(), GW_OWNER);
    RECT area{};
    HMONITOR monitor = MonitorFromWindow(owner ? owner : Handle(), MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(monitor, &info);
    area = info.rcWork;
    RECT centre = area;
    if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &centre);
    int width = sheet.right - sheet.left;
    int height = sheet.bottom - sheet.top;
    int x = (centre.left + centre.right - width) / 2;
    int y = (centre.top + centre.bottom - height) / 2;
    // The bar is narrow and may stand at a screen edge: keep the whole sheet on the screen.
    if (x + width > area.right) x = area.right - width;
    if (y + height > area.bottom) y = area.bottom - height;
    if (x < area.left) x = area.left;
    if (y < area.top) y = area.top;
    SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void COptionPropertySheet::EnableRestoreDefaults()
{
    // comctl32 disables it on pages without help of their own.
    if (HWND button = GetDlgItem(Handle(), kRestoreDefaultsButton)) EnableWindow(button, TRUE);
}

bool COptionPropertySheet::PreTranslateMessage(MSG* msg)
{
    EnableRestoreDefaults();
    if (msg->message == WM_KEYDOWN &&
        (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE || msg->wParam == VK_SPACE))
        msg->wParam = 0;
    return Sheet::PreTranslateMessage(msg);
}

bool COptionPropertySheet::OnCommand(WORD id, WORD, HWND)
{
    if (id != kRestoreDefaultsButton) return false;
    RestoreDefaults();
    return true;
}

LRESULT COptionPropertySheet::OnMessage(UINT message, WPARAM, LPARAM, bool& handled)
{
    switch (message) {
    case kEnableRestoreMessage:
        EnableRestoreDefaults();
        handled = true;
        return 0;
    case WM_PAINT: {
        kit::PaintDC paint(Handle());
        handled = true;
        return 0;
    }
    default:
        return 0;
    }
}

void COptionPropertySheet::RestoreDefaults()
{
    if (general_.Handle()) general_.LoadOutputMode(tessaly::DefaultTrackerConfigPath());
}

}  // namespace option
