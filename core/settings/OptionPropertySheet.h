#pragma once
#include "core/effects/PageEffect.h"
#include "core/settings/GeneralSetPage.h"
#include "core/settings/ScencePage.h"
#include "core/settings/SchedulePage.h"
#include "core/settings/ScreenManagePage.h"
#include "core/settings/VedioSetPage.h"
#include "framework/PropertySheet.h"

namespace option {

// All settings in one modal sheet with its pages listed on the left. Each page stores
// its own settings when it sees fit; the sheet hosts them, restores the output defaults
// and keeps Enter, Esc and Space from closing it by accident.
class COptionPropertySheet : public kit::Sheet {
public:
    static constexpr int kRestoreDefaultsButton = IDHELP;
    static constexpr UINT kEnableRestoreMessage = WM_USER + 0x400;

    COptionPropertySheet();

    // The sheet's run, then one message for the settings files that could not be written.
    INT_PTR DoModal();

    // Shows the factory output mode on the general page, if it was shown; writes nothing.
    void RestoreDefaults();

    CGeneralSetPage& GeneralPage() { return general_; }
    CPageEffect& EffectPage() { return effect_; }
    CScreenManagePage& ScreenManagePage() { return screenManage_; }
    CVedioSetPage& VideoPage() { return video_; }
    CScencePage& ScenePage() { return scene_; }
    CSchedulePage& SchedulePage() { return schedule_; }

protected:
    BOOL OnInitDialog() override;
    BOOL InitNavigationControl() override;
    POINT Placement(SIZE size) override;
    bool PreTranslateMessage(MSG* msg) override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void EnableRestoreDefaults();

    HWND restoreButton_ = nullptr;

    CGeneralSetPage general_;
    CVedioSetPage video_;
    CScencePage scene_;
    CPageEffect effect_;
    CScreenManagePage screenManage_;
    CSchedulePage schedule_;
};

}  // namespace option
