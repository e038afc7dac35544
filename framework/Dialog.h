#pragma once
#include <windows.h>

#include <string>

namespace kit {

// A dialog built from a template of the current resource module (see ResourceScope.h).
// One static procedure stores `this` and forwards to the virtuals below. The window is
// destroyed before the object goes.
class Dialog {
public:
    explicit Dialog(UINT templateId, HWND parent = nullptr);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog with its own modal loop (so that PreTranslateMessage sees every
    // message) and destroys the window when it ends.
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
    // Every other message. Set `handled` to return `result` from the dialog procedure.
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) { return 0; }
    // Called for every message of the modal loop before the dialog manager sees it; true swallows it.
    virtual bool PreTranslateMessage(MSG* msg) { return false; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    virtual void OnDestroy() {}

    INT_PTR DefaultResult(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static INT_PTR CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Procedure(UINT message, WPARAM wParam, LPARAM lParam);
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
