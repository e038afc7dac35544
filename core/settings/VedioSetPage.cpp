#include "core/settings/VedioSetPage.h"

#include <windowsx.h>

#include "core/frame/LibraryState.h"
#include "core/frame/TrackerFiles.h"
#include "core/text/LanguageCaption.h"
#include "framework/DataExchange.h"

namespace {

const kit::Caption kCaptions[] = {
    {IDC_VIDEO_CONFIRM, L"14"},     {IDC_VIDEO_PICK_AREA, L"15"}, {IDC_VIDEO_PROJECTOR, L"16"},
    {IDC_VIDEO_SYNC_BACKGROUND, L"17"}, {IDC_VIDEO_RESET_MASK, L"30"}, {IDC_VIDEO_GROUP, L"35"},
    {IDC_VIDEO_SOURCE_LABEL, L"36"}, {IDC_VIDEO_RECOGNITION_LABEL, L"37"},
};

}  // namespace

CVedioSetPage::CVedioSetPage() : PropertyPage(IDD_VIDEO_PAGE)
{
    Reset();
}

CVedioSetPage::~CVedioSetPage()
{
    Destroy();
}

void CVedioSetPage::Reset()
{
    source_.Forget();
    resetMode_ = 0;
}

BOOL CVedioSetPage::OnInitDialog()
{
    frameSizeFile_ = tessaly::TrackerConfigPath();
    EnableByDeviceType();
    HWND area = Item(IDC_VIDEO_SOURCE);
    GetClientRect(area, &source_.videoRect);
    MapWindowPoints(area, Handle(), reinterpret_cast<POINT*>(&source_.videoRect), 2);
    kit::ApplyCaptions(Handle(), kCaptions, option::LanguageText);
    return TRUE;
}

void CVedioSetPage::EnableByDeviceType()
{
    if (deviceType == tessaly::Light) {
        ShowWindow(Item(IDC_VIDEO_INSTRUCTION), SW_SHOW);
        EnableWindow(Item(IDC_VIDEO_CONFIRM), TRUE);
        for (int id : {IDC_VIDEO_SYNC_BACKGROUND, IDC_VIDEO_PICK_AREA, IDC_VIDEO_PICK_AREA_NOTE, IDC_VIDEO_RESET_MASK})
            ShowWindow(Item(id), SW_HIDE);
    } else if (deviceType >= tessaly::Sign && deviceType <= tessaly::DI) {
        ShowWindow(Item(IDC_VIDEO_INSTRUCTION), SW_HIDE);
        EnableWindow(Item(IDC_VIDEO_CONFIRM), FALSE);
        ShowWindow(Item(IDC_VIDEO_SYNC_BACKGROUND), SW_SHOW);
        ShowWindow(Item(IDC_VIDEO_RESET_VALID), SW_HIDE);
        EnableWindow(Item(IDC_VIDEO_INSTRUCTION), FALSE);
    }
}

bool CVedioSetPage::OnCommand(WORD id, WORD code, HWND)
{
    SetModified();
    if (code != BN_CLICKED) return false;
    switch (id) {
    case IDC_VIDEO_PICK_AREA: OnPickArea(); return true;
    case IDC_VIDEO_RESET_MASK:
        OnResetButton(IDC_VIDEO_RESET_MASK, IDC_VIDEO_RESET_VALID, option::LanguageText(L"31").c_str(),
                      option::LanguageText(L"30").c_str());
        return true;
    case IDC_VIDEO_RESET_VALID:
        OnResetButton(IDC_VIDEO_RESET_VALID, IDC_VIDEO_RESET_MASK, L"结束重设", L"重设有效区");
        return true;
    case IDC_VIDEO_CONFIRM: OnConfirm(); return true;
    case IDC_VIDEO_PROJECTOR:
    case IDC_VIDEO_SYNC_BACKGROUND: return true;
    default: return false;
    }
}

void CVedioSetPage::OnPickArea()
{
    if (resetMode_ == 1) return;
    EnableWindow(Item(IDC_VIDEO_CONFIRM), TRUE);
    resetMode_ = 1;
    EnableWindow(Item(IDC_VIDEO_PICK_AREA), FALSE);
    SetForegroundWindow(Handle());
}

// The two reset buttons mirror each other: each toggles the mode and, when the reset
// ends, gives the other buttons back.
void CVedioSetPage::OnResetButton(int button, int other, const wchar_t* resetting, const wchar_t* idle)
{
    resetMode_ = resetMode_ ? 0 : 1;
    if (resetMode_ == 1) {
        EnableWindow(Item(IDC_VIDEO_CONFIRM), TRUE);
    } else {
        EnableWindow(Item(IDC_VIDEO_PICK_AREA), TRUE);
        EnableWindow(Item(other), TRUE);
    }
    SetItemText(button, resetMode_ == 1 ? resetting : idle);
}

void CVedioSetPage::OnConfirm()
{
    if (resetMode_ == 1) {
        EnableWindow(Item(IDC_VIDEO_CONFIRM), FALSE);
    } else if (!source_.HasPoint()) {
        ShowMissingPointMessage(Handle());
    }
}

bool CVedioSetPage::OnApply()
{
    SendMessageW(Sheet(), kEnableRestoreMessage, 0, 0);
    return true;
}

INT_PTR CVedioSetPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled)
{
    if (message == WM_LBUTTONDOWN && (deviceType == tessaly::Light || resetMode_ == 1)) {
        // Read at the first click rather than when the page opens, which is on the way to
        // the sheet's first showing; only the mapping needs it.
        if (!frameSizeFile_.empty()) {
            source_.ReadFrameSize(frameSizeFile_);
            frameSizeFile_.clear();
        }
        source_.Map(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    }
    return PropertyPage::OnMessage(message, wParam, lParam, handled);
}
