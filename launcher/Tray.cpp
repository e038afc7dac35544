#include "launcher/Tray.h"

#include "framework/Application.h"

#include <algorithm>
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

namespace {

constexpr int kImageCount = static_cast<int>(sizeof(kImageIcons) / sizeof(kImageIcons[0]));

// The 24 x 24 image of an icon resource as stored: a header, 32-bit colour rows and the
// mask rows, both bottom-up. Null for any other form.
const BITMAPINFOHEADER* IconImage(HINSTANCE module, int id)
{
    HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(id), RT_GROUP_ICON);
    HGLOBAL groupData = group ? LoadResource(module, group) : nullptr;
    void* directory = groupData ? LockResource(groupData) : nullptr;
    if (!directory) return nullptr;
    int imageId = LookupIconIdFromDirectoryEx(static_cast<BYTE*>(directory), TRUE, kImageSize, kImageSize,
                                              LR_DEFAULTCOLOR);
    HRSRC image = imageId ? FindResourceW(module, MAKEINTRESOURCEW(imageId), RT_ICON) : nullptr;
    HGLOBAL imageData = image ? LoadResource(module, image) : nullptr;
    auto* header = imageData ? static_cast<const BITMAPINFOHEADER*>(LockResource(imageData)) : nullptr;
    const DWORD needed = sizeof(BITMAPINFOHEADER) + kImageSize * kImageSize * 4 + 4 * kImageSize;
    if (!header || SizeofResource(module, image) < needed || header->biSize != sizeof(BITMAPINFOHEADER) ||
        header->biWidth != kImageSize || header->biHeight != 2 * kImageSize || header->biBitCount != 32 ||
        header->biCompression != BI_RGB)
        return nullptr;
    return header;
}

}  // namespace

// The nine icons go into the list as one strip, read straight from their resources: made
// into icons one by one, they were the largest part of the bar's start-up.
void CTray::LoadImages()
{
    images_.reset(ImageList_Create(kImageSize, kImageSize, ILC_COLOR32 | ILC_MASK, kImageCount, 0));
    if (!images_) return;
    const int width = kImageSize * kImageCount;
    const int maskStride = ((width + 15) / 16) * 2;  // monochrome bitmap rows are WORD-aligned
    // Images that cannot be read stay blank and transparent, so that the later icons keep
    // the indices the id table gives them.
    std::vector<BYTE> maskBits(static_cast<size_t>(maskStride) * kImageSize, 0xFF);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -kImageSize;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP colour = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (!colour) return;
    auto* strip = static_cast<DWORD*>(pixels);
    std::fill(strip, strip + width * kImageSize, 0);

    HINSTANCE resources = kit::ResourceInstance();
    for (int index = 0; index < kImageCount; ++index) {
        const BITMAPINFOHEADER* image = IconImage(resources, kImageIcons[index]);
        if (!image) continue;
        auto* colourRows = reinterpret_cast<const DWORD*>(image + 1);
        auto* maskRows = reinterpret_cast<const BYTE*>(colourRows + kImageSize * kImageSize);
        for (int y = 0; y < kImageSize; ++y) {
            const int stored = kImageSize - 1 - y;
            std::copy(colourRows + stored * kImageSize, colourRows + (stored + 1) * kImageSize,
                      strip + y * width + index * kImageSize);
            for (int x = 0; x < kImageSize; ++x) {
                const bool transparent = (maskRows[stored * 4 + x / 8] & (0x80 >> (x % 8))) != 0;
                const int column = index * kImageSize + x;
                BYTE& bits = maskBits[static_cast<size_t>(y * maskStride + column / 8)];
                const BYTE bit = static_cast<BYTE>(0x80 >> (column % 8));
                bits = static_cast<BYTE>(transparent ? bits | bit : bits & ~bit);
            }
        }
    }
    HBITMAP mask = CreateBitmap(width, kImageSize, 1, 1, maskBits.data());
    ImageList_Add(images_.get(), colour, mask);
    DeleteObject(colour);
    if (mask) DeleteObject(mask);
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

void CTray::Relabel(HMENU popup, const std::function<std::wstring(const wchar_t* id)>& text)
{
    static const struct {
        UINT command;
        const wchar_t* text;
    } kLabels[] = {
        {ID_TRAY_CALIBRATE, L"2"}, {ID_TRAY_SETTINGS, L"1"}, {ID_TRAY_EXIT, L"7"}, {ID_TRAY_SHAPED_PROJECTION, L"58"},
    };
    for (const auto& label : kLabels)
        ModifyMenuW(popup, label.command, MF_BYCOMMAND | MF_STRING, label.command, text(label.text).c_str());
}
