#pragma once
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <type_traits>

#include "launcher/BarWiring.h"
#include "launcher/MenuEx.h"

using launcher::kRelabelMenuMessage;
using launcher::kTrayNotifyMessage;
constexpr UINT kTrayIconId = 130;

// The notification-area icon of the launcher and its owner-drawn menu.
class CTray {
public:
    CTray();
    virtual ~CTray();  // removes the icon if it was added, destroys the menu
    CTray(const CTray&) = delete;
    CTray& operator=(const CTray&) = delete;

    // Loads the menu, adds the icon and asks the owner to relabel the menu (kRelabelMenuMessage
    // with the main popup in wParam). Returns whether the icon was added.
    BOOL Create(HWND owner, const wchar_t* tip, HICON icon);
    // kTrayNotifyMessage: wParam = icon id, lParam = mouse message. Returns 1.
    LRESULT OnNotify(WPARAM wParam, LPARAM lParam);
    void MeasureItem(MEASUREITEMSTRUCT* measure);
    bool DrawItem(const DRAWITEMSTRUCT* draw);
    // WM_INITMENUPOPUP of a non-system menu.
    void PreparePopup(HMENU popup);
    void RemoveIcon();
    // The menu's items that show language texts, relabelled with `text` of their numbers.
    static void Relabel(HMENU popup, const std::function<std::wstring(const wchar_t* id)>& text);

private:
    struct ImageListDeleter {
        void operator()(HIMAGELIST images) const { ImageList_Destroy(images); }
    };
    using ImageList = std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, ImageListDeleter>;

    void ShowMenu();
    void ToggleOwner();
    void LoadImages();

    UICONTROL::CMenuEx menu_;
    BOOL iconAdded_ = FALSE;
    HWND owner_ = nullptr;
    UICONTROL::CMenuEx* mainPopup_ = nullptr;  // the root's first submenu: the menu that is shown
    NOTIFYICONDATAW notifyData_ = {};
    ImageList images_;
};
