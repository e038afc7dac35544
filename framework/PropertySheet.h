#pragma once
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>
#include <vector>

#include "framework/PropertyPage.h"
#include "framework/WindowSubclass.h"

namespace kit {

// comctl32's property sheet run in the framework's own modal loop, so that
// PreTranslateMessage sees every message, optionally with a list of the pages on its
// left instead of the tabs. Pages are created when first shown and destroyed, with
// the sheet, before DoModal returns.
class Sheet : public WindowSubclass {
public:
    enum class Look { Tabs, List };
    static constexpr int kNavigationId = 0x3F00;

    explicit Sheet(std::wstring caption, HWND parent = nullptr, UINT startPage = 0);

    void AddPage(PropertyPage& page) { pages_.push_back(&page); }
    void SetLook(Look look, int navigationWidth = 100);
    Look GetLook() const { return look_; }
    // Added to the sheet header's flags (PSH_HASHELP and the like).
    void AddHeaderFlags(DWORD flags) { headerFlags_ |= flags; }
    void SetActivePage(int index) { startPage_ = static_cast<UINT>(index); }

    // IDOK or IDCANCEL; −1 when the sheet could not be made. Without a parent the sheet
    // stands on the default owner (ResourceScope.h).
    INT_PTR DoModal();

    HWND Handle() const { return sheet_; }
    HWND Navigation() const { return navigation_; }
    int ActiveIndex() const;
    int PageCount() const { return static_cast<int>(pages_.size()); }
    // comctl32's tab control, hidden in the list look.
    HWND TabControl();

protected:
    // After the sheet and its first page exist, before it is shown. The base lays out
    // the list look and calls InitNavigationControl.
    virtual BOOL OnInitDialog();
    // The base fills the list from the tab items' texts.
    virtual BOOL InitNavigationControl();
    // Where the sheet goes once it has its final size, before it is shown; the base
    // leaves it where comctl32 put it.
    virtual POINT Placement(SIZE size);
    // Every message of the modal loop before the sheet sees it; true swallows it.
    virtual bool PreTranslateMessage(MSG* msg) { return false; }
    // WM_COMMAND to the sheet window, from its showing on; true when handled.
    virtual bool OnCommand(WORD id, WORD code, HWND control) { return false; }
    // Other messages to the sheet window, from its showing on; set `handled` to answer
    // `result`.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) { return 0; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static int CALLBACK Callback(HWND sheet, UINT message, LPARAM lParam);
    void LayOutList();
    void Place(int width, int height, bool resized);
    void CreateNavigation(bool scrolls);
    void FillNavigation();
    void ShowNavigation();
    void SyncNavigation();

    std::wstring caption_;
    HWND parent_;
    HWND sheet_ = nullptr;
    UINT startPage_;
    DWORD headerFlags_ = 0;
    Look look_ = Look::Tabs;
    int navigationWidth_ = 100;
    HWND navigation_ = nullptr;
    HWND tab_ = nullptr;
    RECT navigationRect_{};
    int shownIndex_ = -1;
    std::vector<PropertyPage*> pages_;
};

}  // namespace kit
