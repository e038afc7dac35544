#include "launcher/MenuEx.h"

#include <map>

#include "framework/Application.h"
#include "framework/Handles.h"
#include "framework/ResourceScope.h"

namespace UICONTROL {
namespace {

constexpr int kItemWidth = 182;
constexpr int kItemHeight = 40;
constexpr int kStripWidth = 40;
constexpr int kTextLeft = 54;
constexpr int kImageOffset = 8;
constexpr int kMaxText = 1024;
constexpr int kFontTenthsOfPoint = 115;
constexpr COLORREF kSeparatorLine = RGB(197, 194, 184);
const wchar_t kFontFace[] = L"微软雅黑";
const wchar_t kCheckMark[] = L"√";

// State bits that survive copying and re-owner-drawing an item.
// The default mark is not among the flags InsertMenuW and ModifyMenuW take: it is set again afterwards.
constexpr UINT kKeptState = MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_MENUBARBREAK | MF_MENUBREAK | MF_SEPARATOR;

std::map<HMENU, CMenuEx*>& Registry()
{
    static std::map<HMENU, CMenuEx*> menus;
    return menus;
}

using kit::GdiObject;
using kit::SavedDC;
using kit::WindowDC;

// Widths are taken on the main window's device context, as its menus are shown for it.
int TextWidth(const std::wstring& text)
{
    kit::Application* app = kit::Application::Current();
    WindowDC dc(app ? app->MainWindow() : nullptr);
    SIZE size = {0, 0};
    if (dc.Get()) GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

std::wstring MenuText(HMENU menu, int position)
{
    wchar_t text[kMaxText + 1] = L"";
    GetMenuStringW(menu, position, text, kMaxText + 1, MF_BYPOSITION);
    return text;
}

void KeepDefault(HMENU menu, int position, UINT state)
{
    if (state & MF_DEFAULT) SetMenuDefaultItem(menu, static_cast<UINT>(position), TRUE);
}

// A font given in tenths of a point, its height taken from the resolution of the device it is drawn on.
HFONT CreatePointFont(HDC dc, int tenthsOfPoint, const wchar_t* face)
{
    LOGFONTW font = {};
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
    POINT height = {0, MulDiv(GetDeviceCaps(dc, LOGPIXELSY), tenthsOfPoint, 720)};
    POINT origin = {0, 0};
    DPtoLP(dc, &height, 1);
    DPtoLP(dc, &origin, 1);
    font.lfHeight = -abs(height.y - origin.y);
    return CreateFontIndirectW(&font);
}

void FillSolid(HDC dc, const RECT& area, COLORREF colour)
{
    GdiObject brush(CreateSolidBrush(colour));
    FillRect(dc, &area, static_cast<HBRUSH>(brush.Get()));
}

void DrawDisabledText(HDC dc, const std::wstring& text, const RECT& area)
{
    DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(text.c_str()), static_cast<WPARAM>(text.size()),
               area.left, area.top, area.right - area.left, area.bottom - area.top, DST_PREFIXTEXT | DSS_DISABLED);
}

}  // namespace

tagMENUITEM::tagMENUITEM() = default;
tagMENUITEM::~tagMENUITEM() = default;

CMenuEx::CMenuEx() = default;

CMenuEx::~CMenuEx()
{
    DestroyMenu();
}

CMenuEx* CMenuEx::FromHandle(HMENU menu)
{
    auto found = Registry().find(menu);
    return found == Registry().end() ? nullptr : found->second;
}

void CMenuEx::Attach(HMENU menu, bool owns)
{
    menu_ = menu;
    ownsHandle_ = owns;
    Registry()[menu] = this;
}

void CMenuEx::Detach()
{
    auto found = Registry().find(menu_);
    // A handle re-adopted by a newer object stays registered to that one.
    if (found != Registry().end() && found->second == this) Registry().erase(found);
    menu_ = nullptr;
    ownsHandle_ = false;
}

void CMenuEx::DestroyMenu()
{
    HMENU menu = menu_;
    bool owns = ownsHandle_;
    Detach();
    items_.clear();
    if (owns && menu) ::DestroyMenu(menu);
}

const tagMENUITEM* CMenuEx::Item(int position) const
{
    if (position < 0 || position >= ItemCount()) return nullptr;
    return items_[static_cast<size_t>(position)].get();
}

CMenuEx* CMenuEx::SubMenu(int position) const
{
    const tagMENUITEM* item = Item(position);
    return item ? item->submenu.get() : nullptr;
}

bool CMenuEx::LoadFromResource(UINT resourceId)
{
    HMENU source = LoadMenuW(kit::ResourceInstance(), MAKEINTRESOURCEW(resourceId));
    if (!source) {
        DestroyMenu();
        return false;
    }
    bool loaded = LoadFromHandle(source);
    ::DestroyMenu(source);
    return loaded;
}

bool CMenuEx::LoadFromHandle(HMENU source)
{
    DestroyMenu();
    if (!source || !IsMenu(source)) return false;
    HMENU created = popup_ ? CreatePopupMenu() : CreateMenu();
    if (!created) return false;
    Attach(created, true);
    int count = GetMenuItemCount(source);
    for (int position = 0; position < count; ++position) {
        if (!CopyItem(source, position)) {
            DestroyMenu();
            return false;
        }
    }
    return true;
}

std::unique_ptr<tagMENUITEM> CMenuEx::NewRecord(const std::wstring& text, int id, bool submenu,
                                                bool separator) const
{
    auto record = std::make_unique<tagMENUITEM>();
    record->text = text;
    record->id = id;
    if (separator) {
        record->width = 0;
        record->height = separatorHeight_;
    } else {
        record->width = TextWidth(text) + (submenu ? 25 : 10);
        record->height = 2;
    }
    record->normalImages = normalImages_;
    record->disabledImages = disabledImages_;
    record->hotImages = hotImages_;
    record->isSubmenu = submenu ? TRUE : FALSE;
    return record;
}

bool CMenuEx::CopyItem(HMENU source, int position)
{
    UINT state = GetMenuState(source, position, MF_BYPOSITION);
    std::wstring text = MenuText(source, position);
    HMENU sourceSubmenu = GetSubMenu(source, position);
    UINT insertAt = static_cast<UINT>(position);

    if (sourceSubmenu) {
        auto submenu = std::make_unique<CMenuEx>();
        submenu->SetPopup(true);
        submenu->SetImageList(normalImages_);
        if (!submenu->LoadFromHandle(sourceSubmenu)) return false;
        auto record = NewRecord(text, -1, true, false);
        // The low byte of a popup's state holds its flags, the high byte its item count.
        UINT flags = MF_BYPOSITION | MF_POPUP | (state & 0xFF & kKeptState);
        LPCWSTR item = text.c_str();
        if (popup_) {
            flags |= MF_OWNERDRAW;
            item = reinterpret_cast<LPCWSTR>(record.get());
        }
        if (!InsertMenuW(menu_, insertAt, flags, reinterpret_cast<UINT_PTR>(submenu->Handle()), item)) return false;
        KeepDefault(menu_, position, state);
        submenu->ownsHandle_ = false;
        record->submenu = std::move(submenu);
        items_.push_back(std::move(record));
        return true;
    }

    bool separator = (state & MF_SEPARATOR) != 0;
    UINT id = separator ? 0 : GetMenuItemID(source, position);
    auto record = NewRecord(text, static_cast<int>(id), false, separator);
    UINT flags = MF_BYPOSITION | (state & kKeptState);
    LPCWSTR item = text.c_str();
    if (popup_) {
        flags |= MF_OWNERDRAW;
        item = reinterpret_cast<LPCWSTR>(record.get());
    }
    if (!InsertMenuW(menu_, insertAt, flags, id, item)) return false;
    KeepDefault(menu_, position, state);
    items_.push_back(std::move(record));
    return true;
}

void CMenuEx::SetImageList(HIMAGELIST images)
{
    normalImages_ = images;
    int width = 0;
    int height = 0;
    if (images && ImageList_GetIconSize(images, &width, &height)) {
        iconWidth_ = width;
        iconHeight_ = height;
    }
    for (auto& item : items_) {
        item->normalImages = images;
        if (item->submenu) item->submenu->SetImageList(images);
    }
}

void CMenuEx::MapImageIndices(const int* ids, int count)
{
    for (size_t position = 0; position < items_.size(); ++position) {
        tagMENUITEM& item = *items_[position];
        if (item.isSubmenu) {
            item.imageIndex = static_cast<int>(position);
            if (item.submenu) item.submenu->MapImageIndices(ids, count);
            continue;
        }
        for (int j = 0; j < count; ++j) {
            if (ids[j] == item.id) {
                item.imageIndex = j;
                break;
            }
        }
    }
}

void CMenuEx::MeasureItem(MEASUREITEMSTRUCT* measure)
{
    if (!measure || measure->CtlType != ODT_MENU) return;
    const auto* item = reinterpret_cast<const tagMENUITEM*>(measure->itemData);
    if (item && item->id == 0) {
        measure->itemWidth = static_cast<UINT>(item->width);
        measure->itemHeight = static_cast<UINT>(item->height);
        return;
    }
    measure->itemWidth = kItemWidth;
    measure->itemHeight = kItemHeight;
}

void CMenuEx::DrawItem(const DRAWITEMSTRUCT* draw)
{
    if (!draw || draw->CtlType != ODT_MENU || !draw->hDC) return;
    const auto* item = reinterpret_cast<const tagMENUITEM*>(draw->itemData);
    if (!item) return;

    HDC dc = draw->hDC;
    const RECT& area = draw->rcItem;
    const bool selected = (draw->itemState & ODS_SELECTED) != 0;
    const bool grayed = (draw->itemState & ODS_GRAYED) != 0;
    const bool disabled = (draw->itemState & ODS_DISABLED) != 0;
    const bool checked = (draw->itemState & ODS_CHECKED) != 0;
    const bool hasText = !item->text.empty();

    GdiObject framePen(CreatePen(PS_SOLID, 1, frame_));
    GdiObject fillBrush(CreateSolidBrush(fill_));
    GdiObject linePen(CreatePen(PS_SOLID, 1, kSeparatorLine));
    GdiObject font(CreatePointFont(dc, kFontTenthsOfPoint, kFontFace));
    SavedDC saved(dc);

    FillSolid(dc, area, background_);
    RECT strip = {area.left, area.top, area.left + kStripWidth, area.bottom};
    FillSolid(dc, strip, iconStrip_);

    if (hasText && selected && !grayed && !disabled) {
        SelectObject(dc, framePen.Get());
        SelectObject(dc, fillBrush.Get());
        Rectangle(dc, area.left, area.top, area.right, area.bottom);
    }

    SetBkMode(dc, TRANSPARENT);
    if (font.Get()) SelectObject(dc, font.Get());
    const COLORREF textColour = selected ? selectedText_ : text_;
    if (hasText) {
        SIZE extent = {0, 0};
        GetTextExtentPoint32W(dc, item->text.c_str(), static_cast<int>(item->text.size()), &extent);
        RECT textArea = {area.left + kTextLeft, area.top + (area.bottom - area.top - extent.cy) / 2, area.right,
                         area.bottom};
        if (grayed) {
            textArea.bottom = textArea.top + extent.cy;
            DrawDisabledText(dc, item->text, textArea);
        } else {
            SetTextColor(dc, textColour);
            DrawTextW(dc, item->text.c_str(), static_cast<int>(item->text.size()), &textArea,
                      DT_EXPANDTABS | DT_VCENTER);
        }
    } else {
        int middle = area.top + (area.bottom - area.top) / 2 - 1;
        SelectObject(dc, linePen.Get());
        MoveToEx(dc, area.left + kTextLeft, middle, nullptr);
        LineTo(dc, area.right, middle);
    }

    const int imageLeft = area.left + kImageOffset;
    const int imageTop = area.top + kImageOffset;
    if (checked) {
        SelectObject(dc, framePen.Get());
        SelectObject(dc, fillBrush.Get());
        Rectangle(dc, imageLeft, imageTop, imageLeft + iconWidth_, imageTop + iconHeight_);
        RECT mark = {imageLeft, imageTop - 4, imageLeft + iconWidth_, imageTop + iconHeight_ - 4};
        if (grayed) {
            SIZE extent = {0, 0};
            GetTextExtentPoint32W(dc, kCheckMark, 1, &extent);
            RECT centred = {imageLeft + (iconWidth_ - extent.cx) / 2, imageTop - 4 + (iconHeight_ - extent.cy) / 2,
                            0, 0};
            centred.right = centred.left + extent.cx;
            centred.bottom = centred.top + extent.cy;
            DrawDisabledText(dc, kCheckMark, centred);
        } else {
            SetTextColor(dc, textColour);
            DrawTextW(dc, kCheckMark, 1, &mark, DT_SINGLELINE | DT_EXPANDTABS | DT_VCENTER | DT_CENTER);
        }
    } else if (item->imageIndex >= 0) {
        HIMAGELIST images = item->normalImages;
        if (grayed && item->disabledImages) images = item->disabledImages;
        else if (selected && item->hotImages) images = item->hotImages;
        if (images) ImageList_Draw(images, item->imageIndex, dc, imageLeft, imageTop, ILD_TRANSPARENT);
    }
}

void CMenuEx::AdoptItem(int position, int id, UINT state, const std::wstring& text)
{
    HMENU submenu = GetSubMenu(menu_, position);
    auto record = NewRecord(text, id, submenu != nullptr, (state & MF_SEPARATOR) != 0);
    if (submenu) {
        // Changing only the type and data keeps the system from replacing (and destroying) the submenu.
        auto wrapper = std::make_unique<CMenuEx>();
        wrapper->SetPopup(true);
        wrapper->SetImageList(normalImages_);
        wrapper->Attach(submenu, false);
        wrapper->PreparePopup();
        record->submenu = std::move(wrapper);
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_DATA;
        info.fType = MFT_OWNERDRAW;
        info.dwItemData = reinterpret_cast<ULONG_PTR>(record.get());
        SetMenuItemInfoW(menu_, static_cast<UINT>(position), TRUE, &info);
    } else {
        ModifyMenuW(menu_, static_cast<UINT>(position), MF_BYPOSITION | MF_OWNERDRAW | (state & kKeptState),
                    static_cast<UINT_PTR>(static_cast<UINT>(id)), reinterpret_cast<LPCWSTR>(record.get()));
        KeepDefault(menu_, position, state);
    }
    items_.insert(items_.begin() + position, std::move(record));
}

void CMenuEx::PreparePopup()
{
    if (!popup_ || !menu_) return;
    int count = GetMenuItemCount(menu_);
    if (count < 0) return;
    for (int position = 0; position < count; ++position) {
        int id = static_cast<int>(GetMenuItemID(menu_, position));
        UINT state = GetMenuState(menu_, position, MF_BYPOSITION);
        std::wstring text = MenuText(menu_, position);
        tagMENUITEM* item = position < ItemCount() ? items_[static_cast<size_t>(position)].get() : nullptr;
        if (!item || item->id != id) {
            AdoptItem(position, id, state, text);
            continue;
        }
        if (item->isSubmenu) continue;
        // Still owner-drawn, so not relabelled since: its text reads back empty (Windows) or as the
        // record has it (Wine, which keeps the old string; that case just takes the same text again).
        if ((state & MF_OWNERDRAW) && text != item->text) continue;
        item->text = text;
        ModifyMenuW(menu_, static_cast<UINT>(position), MF_BYPOSITION | MF_OWNERDRAW | (state & kKeptState),
                    static_cast<UINT_PTR>(static_cast<UINT>(id)), reinterpret_cast<LPCWSTR>(item));
        KeepDefault(menu_, position, state);
    }
    if (ItemCount() > count) items_.resize(static_cast<size_t>(count));
}

}  // namespace UICONTROL
