#include "launcher/Tray.h"

#include "framework/Application.h"

#include <string>
#include <vector>

#include "framework/MessageBox.h"
#include "framework/ResourceScope.h"
#include "launcher/TrayResources.h"

namespace {

constexpr int kImageSize = 24;

// Image j of the list is the icon kImageIcons[j]; a command whose id is kImageIds[j] shows it.
// Submenus show the image at their own position, hence the -1 for the advanced submenu.
constexpr int kImageIcons[] = {IDI_MENU_CALIBRATE, IDI_MENU_END_CALIBRATION, IDI_MENU_SETTINGS,
                               IDI_MENU_ADVANCED,  IDI_MENU_QUICK_BAR,       IDI_MENU_MEDIA_SHOW,
                               IDI_MENU_EXIT,      IDI_MENU_SHAPED_PROJECTION, IDI_MENU_RESET};
constexpr int kImageIds[] = {ID_TRAY_CALIBRATE, ID_TRAY_END_CALIBRATION, ID_TRAY_SETTINGS,
                             -1,                ID_TRAY_QUICK_BAR,       ID_TRAY_MEDIA_SHOW,
                             ID_TRAY_EXIT,      ID_TRAY_SHAPED_PROJECTION, ID_TRAY_RESET};
static_assert(sizeof(kImageIcons) == sizeof(kImageIds), "one id per image");

}  // namespace

CTray::CTray() = default;

CTray::~CTray()
{
    RemoveIcon();
}

BOOL CTray::Create(HWND owner, const wchar_t* tip, HICON icon)
{
    RemoveIcon();
    owner_ = owner;
    mainPopup_ = nullptr;
    menu_.SetPopup(true);
    if (!menu_.LoadFromResource(IDR_TRAY_MENU)) {
        kit::ShowMessageBox(owner, L"加载菜单失败", kit::ModuleTitle(nullptr).c_str(), MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    if (menu_.ItemCount() > 0) mainPopup_ = menu_.SubMenu(0);

    LoadImages();
    menu_.SetImageList(images_.get());
    menu_.MapImageIndices(kImageIds, static_cast<int>(sizeof(kImageIds) / sizeof(kImageIds[0])));

    notifyData_ = NOTIFYICONDATAW{};
    notifyData_.cbSize = sizeof(notifyData_);
    notifyData_.hWnd = owner;
    notifyData_.uID = kTrayIconId;
    notifyData_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    notifyData_.uCallbackMessage = kTrayNotifyMessage;
    notifyData_.hIcon = icon;
    lstrcpynW(notifyData_.szTip, tip ? tip : L"", static_cast<int>(sizeof(notifyData_.szTip) / sizeof(wchar_t)));
    iconAdded_ = Shell_NotifyIconW(NIM_ADD, &notifyData_);

    if (mainPopup_) SendMessageW(owner, kRelabelMenuMessage, reinterpret_cast<WPARAM>(mainPopup_->Handle()), 0);
    return iconAdded_;
}

void CTray::LoadImages()
{
    images_.reset(ImageList_Create(kImageSize, kImageSize, ILC_COLOR32 | ILC_MASK,
                                   static_cast<int>(sizeof(kImageIcons) / sizeof(kImageIcons[0])), 0));
    if (!images_) return;
    HINSTANCE resources = kit::ResourceInstance();
    for (int id : kImageIcons) {
        HICON icon = static_cast<HICON>(
            LoadImageW(resources, MAKEINTRESOURCEW(id), IMAGE_ICON, kImageSize, kImageSize, LR_DEFAULTCOLOR));
        int added = icon ? ImageList_AddIcon(images_.get(), icon) : -1;
        if (icon) DestroyIcon(icon);
        if (added < 0) {
            // A blank image keeps the later icons at the indices the id table gives them.
            std::vector<DWORD> colours(kImageSize * kImageSize, 0);
            std::vector<BYTE> transparent(((kImageSize + 15) / 16) * 2 * kImageSize, 0xFF);
            HBITMAP blank = CreateBitmap(kImageSize, kImageSize, 1, 32, colours.data());
            HBITMAP mask = CreateBitmap(kImageSize, kImageSize, 1, 1, transparent.data());
            ImageList_Add(images_.get(), blank, mask);
            DeleteObject(blank);
            DeleteObject(mask);
        }
    }
}

LRESULT CTray::OnNotify(WPARAM wParam, LPARAM lParam)
{
    if (wParam != kTrayIconId) return 1;
    switch (static_cast<UINT>(lParam)) {
    case WM_RBUTTONUP: ShowMenu(); break;
    case WM_LBUTTONDOWN: ToggleOwner(); break;
    default: break;
    }
    return 1;
}

void CTray::ShowMenu()
{
    if (!mainPopup_ || !owner_) return;
    HMENU popup = mainPopup_->Handle();
    SetMenuDefaultItem(popup, 0, TRUE);
    POINT cursor = {0, 0};
    GetCursorPos(&cursor);
    SetForegroundWindow(owner_);
    TrackPopupMenu(popup, TPM_LEFTBUTTON, cursor.x, cursor.y, 0, owner_, nullptr);
    // Without a message after the menu ends, a tray menu may fail to close when the user clicks elsewhere.
    PostMessageW(owner_, WM_NULL, 0, 0);
}

void CTray::ToggleOwner()
{
    if (!owner_) return;
    ShowWindow(owner_, IsWindowVisible(owner_) ? SW_HIDE : SW_SHOWNORMAL);
}

void CTray::MeasureItem(MEASUREITEMSTRUCT* measure)
{
    if (measure && measure->CtlType == ODT_MENU) menu_.MeasureItem(measure);
}

bool CTray::DrawItem(const DRAWITEMSTRUCT* draw)
{
    if (!draw || draw->CtlType != ODT_MENU) return false;
    UICONTROL::CMenuEx* menu = UICONTROL::CMenuEx::FromHandle(reinterpret_cast<HMENU>(draw->hwndItem));
    if (!menu) return false;
    menu->DrawItem(draw);
    return true;
}

void CTray::PreparePopup(HMENU popup)
{
    UICONTROL::CMenuEx* menu = UICONTROL::CMenuEx::FromHandle(popup);
    if (menu) menu->PreparePopup();
}

void CTray::RemoveIcon()
{
    if (!iconAdded_) return;
    notifyData_.uFlags = 0;
    Shell_NotifyIconW(NIM_DELETE, &notifyData_);
    iconAdded_ = FALSE;
}
