#include "framework/Dialog.h"

#include "framework/Application.h"
#include "framework/ExceptionReport.h"
#include "framework/ModalLoop.h"
#include "framework/ResourceScope.h"
#include "framework/WindowText.h"

#include <commctrl.h>
#include <prsht.h>
#include <exception>
#include <vector>

namespace kit {
namespace {

// Messages whose dialog-procedure result is the answer itself rather than a handled flag.
bool ReturnsDirectly(UINT message)
{
    switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
        return true;
    default:
        return false;
    }
}

}  // namespace

Dialog::Dialog(UINT templateId, HWND parent) : templateId_(templateId), parent_(parent) {}

Dialog::~Dialog()
{
    // Derived parts are gone: detach first, so that the late destruction reaches none of their handlers.
    HWND window = hwnd_;
    hwnd_ = nullptr;
    if (window && IsWindow(window)) {
        SetWindowLongPtrW(window, DWLP_USER, 0);
        DestroyWindow(window);
    }
}

void Dialog::Destroy()
{
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    hwnd_ = nullptr;
}

std::wstring Dialog::ItemText(int id) const
{
    return WindowText(Item(id));
}

std::wstring Dialog::Title() const
{
    return WindowText(hwnd_);
}

HWND Dialog::CreateFromTemplate(HWND parent)
{
    resources_ = ResourceInstance();
    return CreateDialogParamW(resources_, MAKEINTRESOURCEW(templateId_), parent, StaticProc,
                              reinterpret_cast<LPARAM>(this));
}

bool Dialog::Create(HWND parent)
{
    parent_ = parent;
    modal_ = false;
    return CreateFromTemplate(parent) != nullptr;
}

INT_PTR Dialog::DoModal()
{
    modal_ = true;
    ended_ = false;
    result_ = -1;
    HWND owner = parent_ ? parent_ : DefaultOwner();
    ModalLoop loop(owner);
    if (!CreateFromTemplate(owner)) return -1;
    if (!ended_ && !IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_SHOWNORMAL);

    loop.Run([this] { return !ended_; }, [this](MSG& msg) {
        if (PreTranslateMessage(&msg)) return;
        if (hwnd_ && IsDialogMessageW(hwnd_, &msg)) return;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    });
    loop.Finish(hwnd_);
    Destroy();
    return result_;
}

void Dialog::EndDialog(INT_PTR result)
{
    result_ = result;
    ended_ = true;
    if (!modal_) Destroy();
    else if (hwnd_) PostMessageW(hwnd_, WM_NULL, 0, 0);  // wakes the modal loop
}

INT_PTR Dialog::DefaultResult(UINT, WPARAM, LPARAM)
{
    return FALSE;
}

INT_PTR CALLBACK Dialog::StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Dialog* self = message == WM_INITDIALOG ? reinterpret_cast<Dialog*>(lParam)
                                            : reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    return Forward(self, hwnd, message, wParam, lParam);
}

INT_PTR CALLBACK Dialog::PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        auto* page = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
        self = page ? reinterpret_cast<Dialog*>(page->lParam) : nullptr;
    } else {
        self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    return Forward(self, hwnd, message, wParam, lParam);
}

INT_PTR Dialog::Forward(Dialog* self, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!self) return FALSE;
    if (message == WM_INITDIALOG) {
        self->hwnd_ = hwnd;
        if (!self->resources_) self->resources_ = ResourceInstance();
        SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    }
    INT_PTR result = self->Procedure(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    return result;
}

INT_PTR Dialog::Answer(UINT message, INT_PTR result)
{
    if (ReturnsDirectly(message)) return result;
    SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
    return TRUE;
}

INT_PTR Dialog::Procedure(UINT message, WPARAM wParam, LPARAM lParam)
{
    // No exception may leave a dialog procedure: the system's frames above it know nothing of C++.
    try {
        switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog();
        case WM_COMMAND: {
            WORD id = LOWORD(wParam);
            WORD code = HIWORD(wParam);
            HWND control = reinterpret_cast<HWND>(lParam);
            if (OnCommand(id, code, control)) return TRUE;
            if (id == IDOK && code == BN_CLICKED) {
                OnOK();
                return TRUE;
            }
            if (id == IDCANCEL && code == BN_CLICKED) {
                OnCancel();
                return TRUE;
            }
            if (!control && Application::Current() && Application::Current()->OnCommand(id)) return TRUE;
            return FALSE;
        }
        case WM_CLOSE: {
            bool handled = false;
            INT_PTR result = OnMessage(message, wParam, lParam, handled);
            if (handled) return result;
            OnCancel();
            return TRUE;
        }
        case WM_DESTROY: {
            OnDestroy();
            return TRUE;
        }
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            LRESULT answer = 0;
            if (header && OnNotify(static_cast<int>(wParam), header, answer)) return Answer(message, answer);
            break;
        }
        case WM_TIMER:
            if (OnTimer(wParam)) return TRUE;
            break;
        case WM_DRAWITEM:
            if (OnDrawItem(static_cast<int>(wParam), reinterpret_cast<DRAWITEMSTRUCT*>(lParam))) return TRUE;
            break;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
            if (HBRUSH brush = OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message))
                return reinterpret_cast<INT_PTR>(brush);
            break;
        default:
            break;
        }
        bool handled = false;
        INT_PTR result = OnMessage(message, wParam, lParam, handled);
        if (handled) return Answer(message, result);
        return DefaultResult(message, wParam, lParam);
    } catch (const std::exception& error) {
        ReportUncaughtException(hwnd_, error.what());
        return FALSE;
    } catch (...) {
        ReportUncaughtException(hwnd_, nullptr);
        return FALSE;
    }
}

}  // namespace kit
