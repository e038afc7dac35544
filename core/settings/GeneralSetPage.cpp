#include "core/settings/GeneralSetPage.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <string>

#include "core/frame/LibraryState.h"
#include "core/frame/TrackerFiles.h"
#include "core/resources/GeneralPageIds.h"
#include "core/text/LanguageCaption.h"
#include "core/settings/SaveFailures.h"
#include "core/settings/StartWithWindows.h"
#include "core/text/ConfigFile.h"
#include "core/text/ofxXmlSettings.h"
#include "core/touch/TouchManager.h"
#include "core/touch/TouchSupport.h"
#include "framework/DataExchange.h"
#include "framework/MessageBox.h"

namespace option {

bool autoStartFlag = false;

namespace {

namespace config = tessaly::config;

const auto kDeviceRadios = {IDC_GENERAL_DEVICE_LIGHT, IDC_GENERAL_DEVICE_SIGN, IDC_GENERAL_DEVICE_LASER,
                            IDC_GENERAL_DEVICE_DI};
const auto kOutputRadios = {IDC_GENERAL_OUTPUT_MOUSE, IDC_GENERAL_OUTPUT_MULTIPOINT, IDC_GENERAL_OUTPUT_UDP,
                            IDC_GENERAL_OUTPUT_TCP};
const auto kFilterRadios = {IDC_GENERAL_FILTER_NONE, IDC_GENERAL_FILTER_LARGEST_X, IDC_GENERAL_FILTER_SMALLEST_X};

const kit::Caption kCaptions[] = {
    {IDC_GENERAL_OUTPUT_MOUSE, L"19"},       {IDC_GENERAL_OUTPUT_MULTIPOINT, L"20"},
    {IDC_GENERAL_WIN7_TOUCH, L"21"},         {IDC_GENERAL_DEVICE_LIGHT, L"22"},
    {IDC_GENERAL_DEVICE_SIGN, L"23"},        {IDC_GENERAL_DEVICE_LASER, L"24"},
    {IDC_GENERAL_START_WITH_WINDOWS, L"25"}, {IDC_GENERAL_DEVICE_DI, L"32"},
    {IDC_GENERAL_SHOW_CONTROL_WINDOW, L"33"}, {IDC_GENERAL_OUTPUT_GROUP, L"55"},
    {IDC_GENERAL_HARDWARE_GROUP, L"56"},
};

TouchManager* Touch()
{
    return TouchManager::Current();
}

int OutputIndex(tessaly::OutputMode mode)
{
    switch (mode) {
    case tessaly::OutputMode::Mouse: return 0;
    case tessaly::OutputMode::MultiPoint: return 1;
    case tessaly::OutputMode::Udp: return 2;
    case tessaly::OutputMode::Tcp: return 3;
    }
    return -1;
}

}  // namespace

CGeneralSetPage::CGeneralSetPage() : PropertyPage(IDD_GENERAL_PAGE)
{
    autoStartFlag = false;
}

CGeneralSetPage::~CGeneralSetPage()
{
    Destroy();
}

BOOL CGeneralSetPage::OnInitDialog()
{
    HWND recogniser = FindWindowW(nullptr, L"MultiTouchRecogniseWindow");
    kit::SetChecked(Handle(), IDC_GENERAL_SHOW_CONTROL_WINDOW, recogniser && IsWindowVisible(recogniser));

    kit::CheckIndex(Handle(), kDeviceRadios, deviceType);
    EnableByDeviceType();
    LoadOutputMode(tessaly::TrackerConfigPath());
    kit::CheckIndex(Handle(), kFilterRadios, Touch() ? Touch()->filterWay : -1);

    if (!tessaly::TouchPlatformSupported()) EnableWindow(Item(IDC_GENERAL_PICTURE_BROWSER), FALSE);
    if (config::ReadInt(config::kDebug) == 0) ShowWindow(Item(IDC_GENERAL_SHOW_CONTROL_WINDOW), SW_HIDE);
    kit::ApplyCaptions(Handle(), kCaptions, LanguageText);
    kit::SetChecked(Handle(), IDC_GENERAL_PICTURE_BROWSER, config::ReadInt(config::kStartWin7Touch) != 0);

    // The caption tells what is true now, also when the entry was made by an earlier sheet.
    autoStartFlag = IsRegisteredToStart();
    ShowStartCaption();
    return TRUE;
}

// The enabling follows the device type the page opened with; a change needs a restart anyway.
void CGeneralSetPage::EnableByDeviceType()
{
    int disabled[4] = {};
    size_t count = 0;
    switch (deviceType) {
    case tessaly::Light:
        for (int id : {IDC_GENERAL_WIN7_TOUCH, IDC_GENERAL_OUTPUT_UDP, IDC_GENERAL_OUTPUT_TCP,
                       IDC_GENERAL_PICTURE_BROWSER})
            disabled[count++] = id;
        break;
    case tessaly::Sign:
    case tessaly::Laser:
        disabled[count++] = IDC_GENERAL_OUTPUT_MULTIPOINT;
        break;
    default:
        break;
    }
    for (size_t i = 0; i < count; ++i) EnableWindow(Item(disabled[i]), FALSE);
}

void CGeneralSetPage::LoadOutputMode(const std::string& path)
{
    ofxXmlSettings file;
    if (!file.loadFile(path)) return;
    bool supported = tessaly::TouchPlatformSupported();
    int win7TouchMode = supported ? tessaly::ReadTrackerKey(file, tessaly::kWin7Touch) : 0;
    if (!supported) EnableWindow(Item(IDC_GENERAL_WIN7_TOUCH), FALSE);
    if (Touch()) Touch()->win7TouchMode = win7TouchMode;
    kit::SetChecked(Handle(), IDC_GENERAL_WIN7_TOUCH, win7TouchMode != 0);
    kit::CheckIndex(Handle(), kOutputRadios, OutputIndex(tessaly::ReadOutputMode(file)));
}

void CGeneralSetPage::SaveOutputMode()
{
    bool udp = kit::IsChecked(Handle(), IDC_GENERAL_OUTPUT_UDP);
    bool tcp = kit::IsChecked(Handle(), IDC_GENERAL_OUTPUT_TCP);
    TouchManager* touch = Touch();
    if (touch) touch->networkOutput = udp || tcp ? 1 : 0;
    int multiPoint = touch ? touch->multiPointOutput : 0;
    int win7Touch = touch ? touch->win7TouchMode : 0;
    NoteTrackerWrite(tessaly::WriteTrackerSettings({{tessaly::kOscMode, udp ? 1 : 0},
                                                    {tessaly::kTcpMode, tcp ? 1 : 0},
                                                    {tessaly::kTransmit, multiPoint},
                                                    {tessaly::kWin7Touch, win7Touch}}));
}

void CGeneralSetPage::Store()
{
    SaveOutputMode();
    NoteConfigWrite(config::WriteInt(config::kDeviceType, deviceType));
    NoteConfigWrite(
        config::WriteInt(config::kStartWin7Touch, kit::IsChecked(Handle(), IDC_GENERAL_PICTURE_BROWSER) ? 1 : 0));
    NoteConfigWrite(config::WriteInt(config::kFilterWay, Touch() ? Touch()->filterWay : 0));
}

void CGeneralSetPage::OnDestroy()
{
    Store();
}

bool CGeneralSetPage::OnCommand(WORD id, WORD code, HWND)
{
    if (code != BN_CLICKED) return false;
    TouchManager* touch = Touch();
    switch (id) {
    case IDC_GENERAL_OUTPUT_MOUSE:
        if (touch) touch->SelectMouseOutput();
        ShowWindows7TouchStopped();
        return true;
    case IDC_GENERAL_OUTPUT_UDP:
        if (touch) touch->SelectUdpOutput();
        return true;
    case IDC_GENERAL_OUTPUT_TCP:
        if (touch) touch->SelectTcpOutput();
        ShowWindows7TouchStopped();
        return true;
    case IDC_GENERAL_OUTPUT_MULTIPOINT:
        if (touch) touch->SelectMultiPointOutput();
        ShowWindows7TouchStopped();
        return true;
    case IDC_GENERAL_WIN7_TOUCH:
        OnWindows7Touch();
        return true;
    case IDC_GENERAL_DEVICE_LIGHT: OnDeviceTypeChanged(tessaly::Light); return true;
    case IDC_GENERAL_DEVICE_SIGN: OnDeviceTypeChanged(tessaly::Sign); return true;
    case IDC_GENERAL_DEVICE_LASER: OnDeviceTypeChanged(tessaly::Laser); return true;
    case IDC_GENERAL_DEVICE_DI: OnDeviceTypeChanged(tessaly::DI); return true;
    case IDC_GENERAL_FILTER_NONE:
    case IDC_GENERAL_FILTER_LARGEST_X:
    case IDC_GENERAL_FILTER_SMALLEST_X:
        if (touch) touch->SetFilterWay(kit::CheckedIndex(Handle(), kFilterRadios));
        return true;
    case IDC_GENERAL_START_WITH_WINDOWS:
        OnStartWithWindows();
        return true;
    case IDC_GENERAL_CONFIG_TOOL:
        OnConfigTool();
        return true;
    case IDC_GENERAL_SHOW_CONTROL_WINDOW:
        return true;
    default:
        return false;
    }
}

void CGeneralSetPage::OnDeviceTypeChanged(int type)
{
    deviceType = type;
    NoteConfigWrite(config::WriteInt(config::kDeviceType, type));
    kit::ShowMessageBox(Handle(), L"硬件改变,需重启软件生效", L"信息提示", MB_OK | MB_ICONEXCLAMATION);
}

void CGeneralSetPage::OnWindows7Touch()
{
    if (!tessaly::TouchPlatformSupported()) return;
    bool on = kit::IsChecked(Handle(), IDC_GENERAL_WIN7_TOUCH);
    if (TouchManager* touch = Touch()) touch->SwitchWindows7Touch(on);
    // The simulator takes the tracker's points over UDP: the radios must say so, since
    // they are what the page stores.
    if (on) kit::CheckIndex(Handle(), kOutputRadios, OutputIndex(tessaly::OutputMode::Udp));
    NoteTrackerWrite(tessaly::WriteTrackerSettings({{tessaly::kWin7Touch, on ? 1 : 0}}));
}

// Mouse, TCP and multi-point output have ended touch mode in the touch state; the box follows.
void CGeneralSetPage::ShowWindows7TouchStopped()
{
    kit::SetChecked(Handle(), IDC_GENERAL_WIN7_TOUCH, false);
}

void CGeneralSetPage::OnStartWithWindows()
{
    bool on = !autoStartFlag;
    // A refused registry write must not be reported as done.
    if (!RegisterToStart(on)) {
        kit::ShowMessageBox(Handle(), on ? L"开机启动设置失败" : L"开机启动取消失败", L"友情提示", MB_OK);
        return;
    }
    autoStartFlag = on;
    kit::ShowMessageBox(Handle(), on ? L"开机启动成功" : L"软件开机启动取消", L"友情提示", MB_OK);
    ShowStartCaption();
}

void CGeneralSetPage::ShowStartCaption()
{
    SetItemText(IDC_GENERAL_START_WITH_WINDOWS,
                autoStartFlag ? L"取消启动" : LanguageText(L"25").c_str());
}

void CGeneralSetPage::OnConfigTool()
{
    if (PathFileExistsW(L"Corvantis.exe"))
        ShellExecuteW(Handle(), L"open", L"Corvantis.exe", nullptr, nullptr, SW_SHOW);
}

}  // namespace option
