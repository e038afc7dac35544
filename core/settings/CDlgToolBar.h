#pragma once
// The floating strip of buttons for the pen devices: sends Esc, Alt+F4 and two
// configured keys to the window that has the focus, and sets the click mode.
#include <windows.h>

#include <vector>

#include "core/text/tstring.h"
#include "framework/Dialog.h"

class CDlgToolBar : public kit::Dialog {
public:
    struct QuickKey {
        tstring label;
        int key;  // the low byte is the virtual-key code
    };

    CDlgToolBar();

    const std::vector<QuickKey>& QuickKeys() const { return quickKeys_; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    // Enter and Esc inside the bar must not end it: only Hide and ShowQuickToolBar do.
    void OnOK() override {}
    void OnCancel() override {}

private:
    void ReadQuickKeys();
    void SetClickMode(int mode, int pressed, int other);
    void SendQuickKey(size_t index);
    void OnHide();

    std::vector<QuickKey> quickKeys_;
};

// The library's one tool bar; its window is created on first use.
CDlgToolBar& QuickToolBar();
