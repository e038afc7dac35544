#pragma once
#include "core/resources/ScenePageIds.h"
#include "core/settings/CLabel.h"
#include "framework/PropertyPage.h"

// The tracker's image settings, the manual calibration switch, the power options and the
// provider box. Tracker values are written on OK and Apply only; the calibration switch
// at once.
class CScencePage : public kit::PropertyPage {
public:
    static constexpr int kThresholdMin = 1;
    static constexpr int kThresholdMax = 150;

    CScencePage();
    ~CScencePage() override;

    int LaserMode() const { return laserMode_; }
    int TrackDark() const { return trackDark_; }
    int Threshold() const { return threshold_; }
    CLabel& HelpLink() { return helpLink_; }

protected:
    BOOL OnInitDialog() override;
    bool OnApply() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnNotify(int id, NMHDR* header, LRESULT& result) override;

private:
    void DoDataExchange();
    void ReadTrackerValues();
    void ShowProvider();

    CLabel helpLink_;
    int laserMode_ = 1;
    int trackDark_ = 0;
    int threshold_ = 50;
    HWND thresholdSlider_ = nullptr;
};
