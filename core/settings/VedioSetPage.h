#pragma once
#include "core/resources/VideoPageIds.h"
#include "core/settings/VideoSourceClick.h"
#include "framework/PropertyPage.h"

// The camera and recognition pictures, the point the user clicks in the camera picture,
// and the buttons that start picking the calibration area or resetting the tracker's
// mask and valid areas. The page only collects the point and the mode.
class CVedioSetPage : public kit::PropertyPage {
public:
    static constexpr UINT kEnableRestoreMessage = WM_USER + 0x400;

    CVedioSetPage();
    ~CVedioSetPage() override;

    // What the sheet does when it constructs the page.
    void Reset();

    VideoSourceClick& Source() { return source_; }
    int ResetMode() const { return resetMode_; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnApply() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void EnableByDeviceType();
    void OnPickArea();
    void OnResetButton(int button, int other, const wchar_t* resetting, const wchar_t* idle);
    void OnConfirm();

    VideoSourceClick source_;
    // The device's tracker file when the page opened; read at the first click.
    std::string frameSizeFile_;
    int resetMode_ = 0;
};
