#pragma once
#include <windows.h>

#include <string>

namespace kit {

// A dialog built from a template of the current resource module (see ResourceScope.h).
// One static procedure stores `this` and forwards to the virtuals below.
//
// A window must not outlive the parts of its object that its handlers use: modal
// dialogs and sheets destroy their windows before DoModal returns; a class whose
// OnDestroy matters and that may be destroyed while its window is open calls
// Destroy() in its own destructor. The base destructor only detaches and destroys
// what is left, so that no handler of a destroyed derived part is called.
class Dialog {
public:
    explicit Dialog(UINT templateId, HWND parent = nullptr);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog with its own modal loop (so that PreTranslateMessage sees every
    // message) and destroys the window when it ends. Without a parent the dialog stands
    // on the default owner (ResourceScope.h).
    INT_PTR DoModal();
    // Creates the dialog modeless.
    bool Create(HWND parent);
    void EndDialog(INT_PTR result);
    void Destroy();

    HWND Handle() const { return hwnd_; }
    UINT TemplateId() const { return templateId_; }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
    void SetItemText(int id, const wchar_t* text) { SetDlgItemTextW(hwnd_, id, text); }
    std::wstring ItemText(int id) const;
    std::wstring Title() const;
    BOOL Show(int command) { return ShowWindow(hwnd_, command); }
    bool IsVisible() const { return hwnd_ && IsWindowVisible(hwnd_); }

protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    // Return true when the command was handled; unhandled commands go to the application object.
    virtual bool OnCommand(WORD id, WORD code, HWND control) { return false; }
    // WM_NOTIFY. Return true when handled; `result` is then the notification's answer.
    virtual bool OnNotify(int id, NMHDR* header, LRESULT& result) { return false; }
    // WM_TIMER. Return true when handled.
    virtual bool OnTimer(UINT_PTR id) { return false; }
    // WM_DRAWITEM. Return true when the item was drawn.
    virtual bool OnDrawItem(int id, DRAWITEMSTRUCT* item) { return false; }
    // WM_CTLCOLOR*: the brush that paints the control's background, or null for the default.
    virtual HBRUSH OnCtlColor(HDC dc, HWND control, UINT message) { return nullptr; }
    // Every other message, and the typed ones that their handler left. Set `handled`
    // to return `result` from the dialog procedure.
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) { return 0; }
    // Called for every message of the modal loop before the dialog manager sees it; true swallows it.
    virtual bool PreTranslateMessage(MSG* msg) { return false; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    virtual void OnDestroy() {}

    INT_PTR DefaultResult(UINT message, WPARAM wParam, LPARAM lParam);

    // The procedure of a template whose WM_INITDIALOG carries a PROPSHEETPAGEW whose
    // lParam is the object (a property page).
    static INT_PTR CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    static INT_PTR CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR Forward(Dialog* self, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Procedure(UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Answer(UINT message, INT_PTR result);
    HWND CreateFromTemplate(HWND parent);

    UINT templateId_;
    HWND parent_;
    HWND hwnd_ = nullptr;
    HINSTANCE resources_ = nullptr;
    bool modal_ = false;
    bool ended_ = false;
    INT_PTR result_ = 0;
};

}  // namespace kit
