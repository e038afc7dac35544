#pragma once
#include <vector>

#include "core/frame/CameraList.h"
#include "core/resources/ScreenManagePageIds.h"
#include "framework/PropertyPage.h"

// The tracker's cameras and the blending cursor. The cursor choice acts and is stored at
// once; the camera list and the ordinary-camera switch are written when the window goes,
// whichever way the sheet closed.
class CScreenManagePage : public kit::PropertyPage {
public:
    CScreenManagePage();
    ~CScreenManagePage() override;

    // Shows the fields of the camera selected in the camera list.
    void ShowCamera();
    // What the page stores when its window goes.
    void Store();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void OnDestroy() override;

private:
    void BindControls();
    int SelectedCamera() const;
    void OnCameraUsed();
    void OnNormalCursor();
    void OnDotCursor();

    HWND screenCombo_ = nullptr;
    HWND cameraCombo_ = nullptr;
    std::vector<tessaly::CameraEntry> cameras;
};
