#pragma once
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace UICONTROL {

class CMenuEx;

// The item data handed to the system with each owner-drawn item.
struct tagMENUITEM {
    tagMENUITEM();
    ~tagMENUITEM();
    tagMENUITEM(const tagMENUITEM&) = delete;
    tagMENUITEM& operator=(const tagMENUITEM&) = delete;

    std::wstring text;
    int id = 0;  // -1 for a submenu, 0 for a separator
    int width = 0;
    int height = 0;
    HIMAGELIST normalImages = nullptr;
    HIMAGELIST disabledImages = nullptr;
    HIMAGELIST hotImages = nullptr;
    int imageIndex = -1;
    BOOL isSubmenu = FALSE;
    std::unique_ptr<CMenuEx> submenu;
};

// A menu that draws its popup items itself: 182 x 40 rows, an icon strip at the left,
// blue text. Each object registers its menu handle, so that WM_DRAWITEM and
// WM_INITMENUPOPUP, which only name the handle, find it again (FromHandle).
class CMenuEx {
public:
    CMenuEx();
    virtual ~CMenuEx();
    CMenuEx(const CMenuEx&) = delete;
    CMenuEx& operator=(const CMenuEx&) = delete;

    HMENU Handle() const { return menu_; }
    // Only popup menus are owner-drawn; set before loading.
    void SetPopup(bool popup) { popup_ = popup; }
    bool IsPopup() const { return popup_; }

    // Replace the content by a copy of a menu resource of the current resource module,
    // or of a menu handle (the source is left as it was).
    bool LoadFromResource(UINT resourceId);
    bool LoadFromHandle(HMENU source);
    void DestroyMenu();

    // The icon size follows the list. Applies to the submenus too; the menu does not own the list.
    void SetImageList(HIMAGELIST images);
    // A command whose id is ids[j] gets image j; a submenu gets its own position and its
    // items are mapped with the same table.
    void MapImageIndices(const int* ids, int count);

    virtual void MeasureItem(MEASUREITEMSTRUCT* measure);
    virtual void DrawItem(const DRAWITEMSTRUCT* draw);
    // Before the popup opens: items changed behind the menu's back (a plain ModifyMenuW
    // relabel, an insertion) become owner-drawn again with the text they now carry.
    void PreparePopup();

    int ItemCount() const { return static_cast<int>(items_.size()); }
    const tagMENUITEM* Item(int position) const;
    CMenuEx* SubMenu(int position) const;

    static CMenuEx* FromHandle(HMENU menu);

private:
    std::unique_ptr<tagMENUITEM> NewRecord(const std::wstring& text, int id, bool submenu, bool separator) const;
    bool CopyItem(HMENU source, int position);
    void AdoptItem(int position, int id, UINT state, const std::wstring& text);
    void Attach(HMENU menu, bool owns);
    void Detach();

    bool popup_ = false;
    int separatorHeight_ = 10;
    COLORREF background_ = RGB(243, 247, 250);
    COLORREF selectedText_ = RGB(51, 130, 173);
    COLORREF text_ = RGB(0, 102, 151);
    COLORREF iconStrip_ = RGB(238, 242, 243);
    COLORREF frame_ = RGB(49, 106, 197);
    COLORREF fill_ = RGB(200, 220, 253);
    int iconWidth_ = 20;
    int iconHeight_ = 20;
    HIMAGELIST normalImages_ = nullptr;
    HIMAGELIST disabledImages_ = nullptr;
    HIMAGELIST hotImages_ = nullptr;
    std::vector<std::unique_ptr<tagMENUITEM>> items_;

    HMENU menu_ = nullptr;
    // A submenu's handle belongs to the menu it is inserted in: the system destroys it with that one.
    bool ownsHandle_ = false;
};

}  // namespace UICONTROL
