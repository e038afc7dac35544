#include "framework/PropertyPage.h"

#include "framework/ResourceScope.h"

namespace kit {

PropertyPage::PropertyPage(UINT templateId) : Dialog(templateId) {}

PROPSHEETPAGEW PropertyPage::Descriptor()
{
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof(page);
    page.dwFlags = PSP_DEFAULT;
    page.hInstance = ResourceInstance();
    page.pszTemplate = MAKEINTRESOURCEW(TemplateId());
    page.pfnDlgProc = PageProc;
    page.lParam = reinterpret_cast<LPARAM>(this);
    if (!title_.empty()) {
        page.dwFlags |= PSP_USETITLE;
        page.pszTitle = title_.c_str();
    }
    return page;
}

void PropertyPage::SetModified()
{
    if (HWND sheet = Sheet()) PropSheet_Changed(sheet, Handle());
}

bool PropertyPage::OnNotify(int, NMHDR* header, LRESULT& result)
{
    if (header->hwndFrom != Sheet()) return false;
    switch (header->code) {
    case PSN_APPLY:
        result = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
        return true;
    case PSN_RESET:
        OnReset();
        result = 0;
        return true;
    case PSN_SETACTIVE:
        OnSetActive();
        result = 0;
        return true;
    default:
        return false;
    }
}

}  // namespace kit
