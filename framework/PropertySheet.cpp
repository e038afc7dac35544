#include "framework/PropertySheet.h"

#include "framework/ModalLoop.h"
#include "framework/ResourceScope.h"
#include "framework/WindowText.h"

namespace kit {
namespace {

thread_local Sheet* t_creating = nullptr;

// The extended template's header, which windows.h does not declare.
struct DialogTemplateEx {
    WORD version;
    WORD signature;
    DWORD helpId;
    DWORD extendedStyle;
    DWORD style;
};

RECT ChildRect(HWND child, HWND parent)
{
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace

Sheet::Sheet(std::wstring caption, HWND parent, UINT startPage)
    : caption_(std::move(caption)), parent_(parent), startPage_(startPage)
{
}

void Sheet::SetLook(Look look, int navigationWidth)
{
    look_ = look;
    navigationWidth_ = navigationWidth;
}

int CALLBACK Sheet::Callback(HWND sheet, UINT message, LPARAM lParam)
{
    if (message == PSCB_PRECREATE && lParam) {
        // Shown only once laid out and initialised, so that it appears in one piece.
        auto* extended = reinterpret_cast<DialogTemplateEx*>(lParam);
        if (extended->signature == 0xFFFF) extended->style &= ~WS_VISIBLE;
        else reinterpret_cast<DLGTEMPLATE*>(lParam)->style &= ~WS_VISIBLE;
    } else if (message == PSCB_INITIALIZED && t_creating) {
        t_creating->sheet_ = sheet;
    }
    return 0;
}

INT_PTR Sheet::DoModal()
{
    HWND owner = parent_ ? parent_ : DefaultOwner();
    std::vector<PROPSHEETPAGEW> pages;
    for (PropertyPage* page : pages_) pages.push_back(page->Descriptor());

    PROPSHEETHEADERW header{};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS | PSH_USECALLBACK | headerFlags_;
    header.hwndParent = owner;
    header.hInstance = ResourceInstance();
    header.pszCaption = caption_.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.nStartPage = startPage_;
    header.ppsp = pages.data();
    header.pfnCallback = Callback;

    t_creating = this;
    HWND sheet = reinterpret_cast<HWND>(PropertySheetW(&header));
    t_creating = nullptr;
    if (!sheet || reinterpret_cast<INT_PTR>(sheet) == -1) {
        sheet_ = nullptr;
        return -1;
    }
    sheet_ = sheet;

    ModalLoop loop(owner);
    OnInitDialog();
    ShowWindow(sheet, SW_SHOWNORMAL);
    // Own handlers from here on: nothing they answer comes earlier, and every message
    // through a subclass costs property look-ups in the window system.
    Attach(sheet);

    // A modeless sheet has ended when it has no current page any more.
    loop.Run([sheet] { return IsWindow(sheet) && PropSheet_GetCurrentPageHwnd(sheet); },
             [this, sheet](MSG& msg) {
                 if (!PreTranslateMessage(&msg) && !PropSheet_IsDialogMessage(sheet, &msg)) {
                     TranslateMessage(&msg);
                     DispatchMessageW(&msg);
                 }
                 if (IsWindow(sheet)) SyncNavigation();
             });

    INT_PTR result = IsWindow(sheet) && PropSheet_GetResult(sheet) > 0 ? IDOK : IDCANCEL;
    loop.Finish(sheet);
    // The pages are destroyed with it, while their objects are alive: they store now.
    if (IsWindow(sheet)) DestroyWindow(sheet);
    navigation_ = nullptr;
    tab_ = nullptr;
    Detach();
    sheet_ = nullptr;
    return result;
}

int Sheet::ActiveIndex() const
{
    HWND sheet = Handle();
    if (!sheet) return -1;
    return static_cast<int>(PropSheet_HwndToIndex(sheet, PropSheet_GetCurrentPageHwnd(sheet)));
}

BOOL Sheet::OnInitDialog()
{
    if (look_ == Look::List) {
        LayOutList();
    } else {
        RECT window{};
        GetWindowRect(Handle(), &window);
        Place(window.right - window.left, window.bottom - window.top, false);
    }
    BOOL result = InitNavigationControl();
    ShowNavigation();
    return result;
}

POINT Sheet::Placement(SIZE)
{
    RECT window{};
    GetWindowRect(Handle(), &window);
    return POINT{window.left, window.top};
}

// Size and place in one move: every move of a window costs a round trip to the system.
void Sheet::Place(int width, int height, bool resized)
{
    HWND sheet = Handle();
    RECT window{};
    GetWindowRect(sheet, &window);
    POINT at = Placement(SIZE{width, height});
    if (!resized && at.x == window.left && at.y == window.top) return;
    SetWindowPos(sheet, nullptr, at.x, at.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

// The list takes the place of the tabs: everything moves right by the list's width and
// up by the height of the tab row, which the hidden tab control no longer shows.
void Sheet::LayOutList()
{
    HWND sheet = Handle();
    HWND tab = TabControl();
    if (!tab) return;
    RECT tabRect = ChildRect(tab, sheet);
    RECT display{0, 0, tabRect.right - tabRect.left, tabRect.bottom - tabRect.top};
    TabCtrl_AdjustRect(tab, FALSE, &display);
    int up = display.top > display.left ? display.top - display.left : 0;
    int gap = tabRect.left > 0 ? tabRect.left : 7;
    int right = navigationWidth_ + gap;

    // In one batch, without drawing or asking the children first (the sheet is not shown
    // yet), the tab control hidden in the same batch.
    const UINT flags =
        SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_NOCOPYBITS | SWP_NOSENDCHANGING;
    HDWP batch = BeginDeferWindowPos(8);  // a first guess: the batch grows as needed
    for (HWND child = GetWindow(sheet, GW_CHILD); child && batch; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect = ChildRect(child, sheet);
        batch = DeferWindowPos(batch, child, nullptr, rect.left + right, rect.top - up, 0, 0,
                               child == tab ? flags | SWP_HIDEWINDOW : flags);
    }
    if (batch) EndDeferWindowPos(batch);
    if (GetWindowLongPtrW(tab, GWL_STYLE) & WS_VISIBLE) ShowWindow(tab, SW_HIDE);

    navigationRect_ = RECT{gap, tabRect.top, gap + navigationWidth_, tabRect.bottom - up};
    CreateNavigation(false);

    RECT window{};
    GetWindowRect(sheet, &window);
    Place(window.right - window.left + right, window.bottom - window.top - up, true);
}

// Without a scroll bar, which the list would take away again at once when its entries
// fit; made again with one when they do not. Hidden until filled, so that filling it
// draws nothing.
void Sheet::CreateNavigation(bool scrolls)
{
    HWND sheet = Handle();
    const RECT& at = navigationRect_;
    DWORD style = WS_CHILD | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | (scrolls ? WS_VSCROLL : 0);
    navigation_ = CreateWindowExW(WS_EX_CLIENTEDGE | WS_EX_NOPARENTNOTIFY, L"LISTBOX", nullptr, style, at.left, at.top,
                                  at.right - at.left, at.bottom - at.top, sheet,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kNavigationId)),
                                  reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(sheet, GWLP_HINSTANCE)), nullptr);
    SendMessageW(navigation_, WM_SETFONT, SendMessageW(sheet, WM_GETFONT, 0, 0), FALSE);
}

// Shown by the same move that puts it first in the tab order (a new child comes last).
void Sheet::ShowNavigation()
{
    if (!navigation_) return;
    SetWindowPos(navigation_, HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_SHOWWINDOW);
    SendMessageW(navigation_, WM_SETREDRAW, TRUE, 0);
}

BOOL Sheet::InitNavigationControl()
{
    if (!navigation_) return TRUE;
    FillNavigation();
    RECT client{};
    GetClientRect(navigation_, &client);
    LRESULT count = SendMessageW(navigation_, LB_GETCOUNT, 0, 0);
    LRESULT height = SendMessageW(navigation_, LB_GETITEMHEIGHT, 0, 0);
    if (count * height > client.bottom && !(GetWindowLongPtrW(navigation_, GWL_STYLE) & WS_VSCROLL)) {
        DestroyWindow(navigation_);
        CreateNavigation(true);
        FillNavigation();
    }
    // The sheet has just opened on its start page: no need to ask it which page it shows.
    int first = static_cast<int>(startPage_) < PageCount() ? static_cast<int>(startPage_) : 0;
    shownIndex_ = first;
    SendMessageW(navigation_, LB_SETCURSEL, static_cast<WPARAM>(first), 0);
    return TRUE;
}

void Sheet::FillNavigation()
{
    HWND tab = TabControl();
    // Drawn once when shown rather than once per entry (ShowNavigation turns drawing on).
    SendMessageW(navigation_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(navigation_, LB_RESETCONTENT, 0, 0);
    shownIndex_ = -1;
    int count = TabCtrl_GetItemCount(tab);
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = L"";
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 255;
        TabCtrl_GetItem(tab, i, &item);
        SendMessageW(navigation_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
}

HWND Sheet::TabControl()
{
    if (!tab_ && Handle()) tab_ = PropSheet_GetTabControl(Handle());
    return tab_;
}

// Follows page changes made otherwise (Ctrl+Tab, a refused change) only when the page
// changed, so that a selection on its way to the sheet is not taken back.
void Sheet::SyncNavigation()
{
    if (!navigation_) return;
    int index = ActiveIndex();
    if (index < 0 || index == shownIndex_) return;
    shownIndex_ = index;
    SendMessageW(navigation_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

LRESULT Sheet::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND) {
        WORD id = LOWORD(wParam);
        WORD code = HIWORD(wParam);
        if (id == kNavigationId && navigation_) {
            if (code == LBN_SELCHANGE) {
                LRESULT selected = SendMessageW(navigation_, LB_GETCURSEL, 0, 0);
                if (selected != LB_ERR) PropSheet_SetCurSel(Handle(), nullptr, static_cast<int>(selected));
                shownIndex_ = -1;  // a refused change puts the list back
                SyncNavigation();
            }
            return 0;
        }
        if (OnCommand(id, code, reinterpret_cast<HWND>(lParam))) return 0;
    } else {
        bool handled = false;
        LRESULT result = OnMessage(message, wParam, lParam, handled);
        if (handled) return result;
    }
    return Default(message, wParam, lParam);
}

}  // namespace kit
