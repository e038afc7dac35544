#pragma once
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>
#include <utility>

#include "framework/Dialog.h"

namespace kit {

// One page of a Sheet. Its window exists from its first showing until the sheet
// closes; the sheet destroys it while the page object is alive, so OnDestroy always runs.
class PropertyPage : public Dialog {
public:
    explicit PropertyPage(UINT templateId);

    // The description the sheet hands to comctl32 (resources of the current module).
    PROPSHEETPAGEW Descriptor();
    HWND Sheet() const { return Handle() ? GetParent(Handle()) : nullptr; }
    // The page's entry in the sheet instead of its template's caption; set before the
    // sheet opens.
    void SetTitle(std::wstring title) { title_ = std::move(title); }

protected:
    // PSN_APPLY (OK and Apply): false keeps the sheet open on this page.
    virtual bool OnApply() { return true; }
    // PSN_RESET (Cancel and the close box).
    virtual void OnReset() {}
    // PSN_SETACTIVE: the page is about to be shown.
    virtual void OnSetActive() {}
    // Enables the sheet's Apply button.
    void SetModified();

    bool OnNotify(int id, NMHDR* header, LRESULT& result) override;
    // A page is not ended by the dialog manager's OK and Cancel; the sheet owns those.
    void OnOK() override {}
    void OnCancel() override {}

private:
    std::wstring title_;
};

}  // namespace kit
