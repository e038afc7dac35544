#include "core/settings/ScencePage.h"

#include <commctrl.h>

#include <string>

#include "core/frame/Processes.h"
#include "core/frame/TrackerFiles.h"
#include "core/text/LanguageCaption.h"
#include "core/settings/SaveFailures.h"
#include "core/text/ConfigFile.h"
#include "core/text/ofxXmlSettings.h"
#include "framework/DataExchange.h"

namespace {

namespace config = tessaly::config;

const kit::Caption kCaptions[] = {
    {IDC_SCENE_LASER_GROUP, L"49"},  {IDC_SCENE_DISPLAY_MODE, L"50"},     {IDC_SCENE_WRITING_MODE, L"51"},
    {IDC_SCENE_MANUAL_CALIBRATE, L"52"}, {IDC_SCENE_TRACK_DARK, L"53"}, {IDC_SCENE_SHAPED_AREA, L"54"},
    {IDC_SCENE_THRESHOLD_LABEL, L"57"},
};

const wchar_t kPowerOptions[] = L"rundll32.exe shell32.dll,Control_RunDLL powercfg.cpl";

}  // namespace

CScencePage::CScencePage() : PropertyPage(IDD_SCENE_PAGE) {}

CScencePage::~CScencePage()
{
    Destroy();
}

void CScencePage::DoDataExchange()
{
    helpLink_.SubclassDlgItem(IDC_SCENE_HELP_LINK, Handle());
    thresholdSlider_ = Item(IDC_SCENE_THRESHOLD);
}

void CScencePage::ReadTrackerValues()
{
    // A file that does not load gives the defaults.
    ofxXmlSettings file;
    file.loadFile(tessaly::TrackerConfigPath());
    laserMode_ = file.getValue("CONFIG:INT:SMOOTH", 1);
    threshold_ = file.getValue("CONFIG:INT:THRESHOLD", 10);
    trackDark_ = file.getValue("CONFIG:BOOLEAN:TRACKDARK", 0);
}

void CScencePage::ShowProvider()
{
    std::wstring help = config::ReadString(config::kHelp);
    ShowWindow(helpLink_.Window(), help.empty() ? SW_HIDE : SW_SHOW);
    SetItemText(IDC_SCENE_COMPANY, config::ReadString(config::kCompany).c_str());
    SetItemText(IDC_SCENE_CONTACT, config::ReadString(config::kContact).c_str());

    helpLink_.SetLinkTarget(help);
    helpLink_.SetTextColor(RGB(0, 0, 255));
    helpLink_.SetLink(true);
    helpLink_.SetHoverCursor(CopyCursor(LoadCursorW(nullptr, IDC_HAND)));
    HWND link = helpLink_.Window();
    SetWindowLongW(link, GWL_STYLE, GetWindowLongW(link, GWL_STYLE) | SS_NOTIFY);
    InvalidateRect(link, nullptr, TRUE);
}

BOOL CScencePage::OnInitDialog()
{
    DoDataExchange();
    ReadTrackerValues();
    kit::ApplyCaptions(Handle(), kCaptions, option::LanguageText);
    ShowProvider();

    SendMessageW(thresholdSlider_, TBM_SETRANGE, TRUE, MAKELPARAM(kThresholdMin, kThresholdMax));
    kit::SetChecked(Handle(), IDC_SCENE_DISPLAY_MODE, laserMode_ == 1);
    kit::SetChecked(Handle(), IDC_SCENE_WRITING_MODE, laserMode_ == 2);
    EnableWindow(Item(IDC_SCENE_DISPLAY_MODE), FALSE);
    EnableWindow(Item(IDC_SCENE_WRITING_MODE), FALSE);
    // The slider shows a stored value beyond its range at its end; the value itself is kept.
    SendMessageW(thresholdSlider_, TBM_SETPOS, TRUE, threshold_);
    kit::SetChecked(Handle(), IDC_SCENE_MANUAL_CALIBRATE, config::ReadInt(config::kManualCalibrate) != 0);
    kit::SetChecked(Handle(), IDC_SCENE_TRACK_DARK, trackDark_ != 0);
    SetItemText(IDC_SCENE_THRESHOLD_VALUE, std::to_wstring(threshold_).c_str());
    return TRUE;
}

bool CScencePage::OnApply()
{
    option::NoteTrackerWrite(tessaly::WriteTrackerSettings({{tessaly::kLaserMode, laserMode_},
                                                    {tessaly::kThreshold, threshold_},
                                                    {tessaly::kTrackDark, trackDark_}}));
    // OK and Apply both come here while the sheet is open: the operator hears of it now.
    option::SheetSaveFailures().Show(Sheet());
    return true;
}

bool CScencePage::OnCommand(WORD id, WORD code, HWND)
{
    if (code != BN_CLICKED) return false;
    switch (id) {
    case IDC_SCENE_MANUAL_CALIBRATE:
        option::NoteConfigWrite(config::WriteString(config::kManualCalibrate, kit::IsChecked(Handle(), id) ? L"1" : L"0"));
        return true;
    case IDC_SCENE_TRACK_DARK:
        trackDark_ = kit::IsChecked(Handle(), id) ? 1 : 0;
        SetModified();
        return true;
    case IDC_SCENE_POWER_OPTIONS:
        tessaly::RunCommand(kPowerOptions, SW_HIDE, 0);
        return true;
    case IDC_SCENE_SHAPED_AREA:
        kit::IsChecked(Handle(), id);
        return true;
    default:
        return false;
    }
}

bool CScencePage::OnNotify(int id, NMHDR* header, LRESULT& result)
{
    if (id == IDC_SCENE_THRESHOLD && header->code == NM_RELEASEDCAPTURE) {
        threshold_ = static_cast<int>(SendMessageW(thresholdSlider_, TBM_GETPOS, 0, 0));
        // Otherwise Apply stays disabled for changes that only this page holds.
        SetModified();
        return false;
    }
    return PropertyPage::OnNotify(id, header, result);
}
