#pragma once
// The small always-on-top window shown while the driver installs: an animated progress
// text, then the result, and it closes by itself. It runs the installation on a worker
// thread of its own.
#include <windows.h>

#include <string>

#include "framework/Dialog.h"
#include "framework/Handles.h"

namespace DRIVER {

class CDriverInstallDlg : public kit::Dialog {
public:
    // 10013: the worker has finished and the result has been on screen for a while.
    static constexpr UINT kInstallFinished = 10013;
    static constexpr UINT_PTR kAnimationTimer = 1;

    // How long the steps take; tests shorten them.
    struct Timing {
        UINT animationMs = 1000;
        DWORD resultShownMs = 1000;  // from the result to message 10013
        DWORD closeDelayMs = 1000;   // from message 10013 to closing
    };
    static Timing SetTiming(const Timing& timing);  // returns the one it replaces

    CDriverInstallDlg();
    ~CDriverInstallDlg() override;

    // Returns once the worker has ended (at once when none was started).
    void WaitForWorker();

    int success = 0;  // 1 once the installation succeeded

protected:
    BOOL OnInitDialog() override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    // The installation cannot be stopped halfway: Enter, Esc and Alt+F4 wait for the result.
    void OnOK() override;
    void OnCancel() override;

private:
    static unsigned __stdcall WorkerMain(void* dialog);
    void OnAnimationTimer();
    void OnResult(bool succeeded);
    void OnInstallFinished();
    void Redraw();

    kit::UniqueHandle worker_;
    kit::GdiObject background_;
    bool resultShown_ = false;
};

}  // namespace DRIVER
