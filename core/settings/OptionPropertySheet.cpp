#include "core/settings/OptionPropertySheet.h"

#include "core/frame/TrackerFiles.h"
#include "core/text/LanguageCaption.h"
#include "core/settings/SaveFailures.h"
#include "framework/ResourceScope.h"
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
    AddPage(schedule_);
    SetActivePage(0);
    // Born with their entries' texts, so that the relabelling finds nothing to change.
    video_.SetTitle(LanguageText(L"11"));
    general_.SetTitle(LanguageText(L"13"));
    effect_.SetTitle(LanguageText(L"9"));
    scene_.SetTitle(LanguageText(L"12"));
    schedule_.SetTitle(LanguageText(L"201"));
}

INT_PTR COptionPropertySheet::DoModal()
{
    SheetSaveFailures().Reset();
    INT_PTR result = Sheet::DoModal();
    // The pages wrote the rest of their settings as the sheet went: what failed is told
    // on the window the sheet stood on.
    SheetSaveFailures().Show(kit::DefaultOwner());
    return result;
}

BOOL COptionPropertySheet::OnInitDialog()
{
    // Looked up once: it is enabled again before every message.
    restoreButton_ = GetDlgItem(Handle(), kRestoreDefaultsButton);
    BOOL result = Sheet::OnInitDialog();
    if (restoreButton_) SetWindowTextW(restoreButton_, LanguageText(L"18").c_str());
    EnableRestoreDefaults();
    return result;
}

BOOL COptionPropertySheet::InitNavigationControl()
{
    if (GetLook() == Look::List) {
        HWND tab = TabControl();
        // The screen management entry keeps its template's caption.
        const struct {
            int item;
            const wchar_t* text;
        } kEntries[] = {{0, L"11"}, {1, L"13"}, {2, L"9"}, {4, L"12"}, {5, L"201"}};
        for (const auto& entry : kEntries) {
            std::wstring text = LanguageText(entry.text);
            wchar_t shown[256] = L"";
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = shown;
            item.cchTextMax = 255;
            // Each change redraws the tab control: only what the titles did not already say.
            if (TabCtrl_GetItem(tab, entry.item, &item) && text == shown) continue;
            item.pszText = &text[0];
            TabCtrl_SetItem(tab, entry.item, &item);
        }
        EnableRestoreDefaults();
    }
    return Sheet::InitNavigationControl();
}

POINT COptionPropertySheet::Placement(SIZE size)
{
    HWND owner = GetWindow(Handle(), GW_OWNER);
    HMONITOR monitor = MonitorFromWindow(owner ? owner : Handle(), MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(monitor, &info);
    RECT area = info.rcWork;
    RECT centre = area;
    if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &centre);
    int x = (centre.left + centre.right - size.cx) / 2;
    int y = (centre.top + centre.bottom - size.cy) / 2;
    // The bar is narrow and may stand at a screen edge: keep the whole sheet on the screen.
    if (x + size.cx > area.right) x = area.right - size.cx;
    if (y + size.cy > area.bottom) y = area.bottom - size.cy;
    if (x < area.left) x = area.left;
    if (y < area.top) y = area.top;
    return POINT{x, y};
}

void COptionPropertySheet::EnableRestoreDefaults()
{
    // comctl32 disables it on pages without help of their own.
    if (!restoreButton_) restoreButton_ = GetDlgItem(Handle(), kRestoreDefaultsButton);
    if (restoreButton_) EnableWindow(restoreButton_, TRUE);
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
