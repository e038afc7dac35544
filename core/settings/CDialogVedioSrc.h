#pragma once
#include "core/resources/VideoSourceDlgIds.h"
#include "core/settings/VideoSourceClick.h"
#include "framework/Dialog.h"

// The manual calibration window: the camera picture at the camera's own width, and the
// point the user clicks in it.
class CDialogVedioSrc : public kit::Dialog {
public:
    explicit CDialogVedioSrc(HWND parent = nullptr);

    VideoSourceClick& Source() { return source_; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void SetWidth(HWND window, int width);

    VideoSourceClick source_;
};
