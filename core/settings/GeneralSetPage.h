#pragma once
#include <string>

#include "framework/PropertyPage.h"

namespace option {

// Whether the program is set to start with Windows, as the general page last saw it.
extern bool autoStartFlag;

// The hardware, the tracker's output mode, Windows 7 touch, the multi-point filter and
// the start-up choices. Choices act on the touch state at once; the tracker file and
// the configuration are written when the window goes, whichever way the sheet closed.
class CGeneralSetPage : public kit::PropertyPage {
public:
    CGeneralSetPage();
    ~CGeneralSetPage() override;

    // Shows the output mode and the Windows 7 touch state of a tracker file.
    void LoadOutputMode(const std::string& path);
    // Writes the shown output mode into the current tracker file.
    void SaveOutputMode();
    // What the page stores when its window goes.
    void Store();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    void OnDestroy() override;

private:
    void EnableByDeviceType();
    void OnDeviceTypeChanged(int type);
    void OnWindows7Touch();
    void ShowWindows7TouchStopped();
    void OnStartWithWindows();
    void OnConfigTool();
    void ShowStartCaption();
};

}  // namespace option
