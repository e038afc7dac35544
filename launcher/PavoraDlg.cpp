#include "launcher/PavoraDlg.h"

#include <shlwapi.h>

#include <cwchar>

#include "core/effects/PlaylistFile.h"
#include "core/library/TessalyApi.h"
#include "framework/Application.h"
#include "framework/DataExchange.h"
#include "framework/Handles.h"
#include "framework/MessageBox.h"
#include "framework/PostToWindow.h"
#include "launcher/BarWiring.h"
#include "launcher/EffectPathCheck.h"
#include "launcher/LauncherSettings.h"
#include "launcher/MediaShow.h"
#include "launcher/PointCountBox.h"
#include "launcher/SettingsWrites.h"
#include "launcher/TrayResources.h"
#include "launcher/resource.h"

namespace {

using launcher::Command;
using launcher::Request;

constexpr UINT kHideAfterStart = 100;
constexpr UINT kHideAfterEffect = 1000;

}  // namespace

CPavoraDlg::CPavoraDlg(const launcher::RestartNote& restart) : kit::Dialog(IDD_PAVORA_DIALOG), restart_(restart)
{
    launcher::PreparePointCallback();  // ready before the library is handed the callback
    icon_ = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

CPavoraDlg::~CPavoraDlg() = default;

BOOL CPavoraDlg::OnInitDialog()
{
    if (kit::Application* app = kit::Application::Current()) app->SetMainWindow(Handle());
    SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));

    penMode_ = launcher::IsPenMode();
    launcher::FillPointCounts(Item(IDC_COMBO_POINTS));
    tray_.Create(Handle(), L"Quorvane", icon_);
    ApplyLanguage();
    if (!penMode_) EnableWindow(Item(IDC_BTN_QUICK), FALSE);
    SetPointCallBackMethod(launcher::OnPoint);
    RegisterHotKeys();
    Open();
    InitData(this);
    return TRUE;
}

void CPavoraDlg::Open()
{
    std::wstring problem;
    if (!AnalysisEffectXml()) {
        // The library says only that it failed; the reason is read again here for the log.
        EffectList scratch;
        if (tessaly::LoadPlaylist(L"data\\EffectPath.xml", scratch, &problem)) problem.clear();
    }
    playback_.reset(new launcher::Playback(Handle(), effects_, static_cast<launcher::PlaybackHost&>(*this)));
    using Opening = launcher::Playback::Opening;
    Opening opening = playback_->Open(GetEffectPlayInfo(), problem, penMode_, restart_);
    guardian_.reset(new launcher::GuardianLink(Handle(), [this](const std::wstring& line) { playback_->Log(line); }));
    guardian_->Open(playback_->Folder());
    remoteCommands_.reset(new remote::BarCommands(
        Handle(), launcher::kRunOnBarMessage, [this](const Request& request) { return Execute(request); },
        [this](const std::wstring& line) { if (playback_) playback_->Log(line); },
        playback_->Folder() + L"\\log\\status.json"));
    remote_.reset(new remote::RemoteControl(playback_->Folder(), *remoteCommands_,
                                            [](const wchar_t* id) { return launcher::LanguageText(id); }));
    if (opening == Opening::Nothing) {
        if (!penMode_ || !IsWindows7TouchMode() || !launcher::StartsMediaShow()) return;
        launcher::RunMediaShow(Handle(), penMode_);
        SetTimer(Handle(), launcher::kHideTimer, kHideAfterStart, nullptr);
        return;
    }
    SetTimer(Handle(), launcher::kHideTimer, opening == Opening::LoneEffect ? kHideAfterEffect : kHideAfterStart,
             nullptr);
    SetTimer(Handle(), launcher::kFrontTimer, launcher::kFrontDelay, nullptr);
}

void CPavoraDlg::ApplyLanguage()
{
    static const kit::Caption kCaptions[] = {
        {IDC_STATIC_STATUS, L"28"}, {IDC_BTN_SETTING, L"1"}, {IDC_STATIC_POINTS, L"5"},
        {IDC_BTN_CALIBRATE, L"2"},  {IDC_BTN_ROTATION, L"3"}, {IDC_BTN_HIDE, L"4"},
    };
    // Through the library's own string: its assignment and conversion are part of the import contract.
    tstring text = GetLanStr(L"6");
    SetWindowTextW(Handle(), text);
    kit::ApplyCaptions(Handle(), kCaptions, [&text](const wchar_t* id) {
        text = GetLanStr(id);
        return std::wstring(static_cast<const wchar_t*>(text));
    });
}

void CPavoraDlg::RegisterHotKeys()
{
    if (!hotKeys_.Register(Handle()))
        kit::ShowMessageBox(Handle(), L"关闭快捷键冲突\nALT+ESC被占用", L"信息提示", MB_OK);
}

std::wstring CPavoraDlg::Execute(const Request& request)
{
    // The bar's and the library's windows; every other command is about what plays.
    static const struct {
        Command command;
        void (*run)(CPavoraDlg& bar);
    } kWindowCommands[] = {
        {Command::OpenSettings, [](CPavoraDlg& bar) { bar.OpenSettings(); }},
        {Command::Calibrate, [](CPavoraDlg& bar) { bar.OnCalibrate(); }},
        {Command::EndCalibration, [](CPavoraDlg&) { CloseCab(); }},
        {Command::ShowBar, [](CPavoraDlg& bar) { bar.Show(SW_SHOWNORMAL); }},
        {Command::HideBar, [](CPavoraDlg& bar) { bar.Show(SW_HIDE); }},
        {Command::QuickToolBar, [](CPavoraDlg&) { ShowQuickToolBar(SW_SHOWNORMAL); }},
        {Command::ShapedProjection, [](CPavoraDlg&) { ShowScreenAreaDlg(); }},
        {Command::Reset, [](CPavoraDlg& bar) { bar.OnReset(); }},
        {Command::MediaShow, [](CPavoraDlg& bar) { launcher::RunMediaShow(bar.Handle(), bar.penMode_); }},
        {Command::RefreshBackground, [](CPavoraDlg&) { RefreshBkGround(); }},
        // The guardian first: it must not take the end for a fault.
        {Command::Exit, [](CPavoraDlg& bar) {
             if (bar.guardian_) bar.guardian_->Ending();
             bar.OnOK();
         }},
    };
    for (const auto& entry : kWindowCommands) {
        if (entry.command != request.command) continue;
        entry.run(*this);
        return L"";
    }
    return playback_ ? playback_->Execute(request) : L"the launcher is not ready";
}

bool CPavoraDlg::OnCommand(WORD id, WORD code, HWND control)
{
    if (id == IDC_COMBO_POINTS) {
        if (code == CBN_SELCHANGE) OnPointCountChanged();
        return true;
    }
    static const struct {
        WORD id;
        Command command;
    } kCommands[] = {
        {IDC_BTN_SETTING, Command::OpenSettings},       {ID_TRAY_SETTINGS, Command::OpenSettings},
        {IDC_BTN_CALIBRATE, Command::Calibrate},        {ID_TRAY_CALIBRATE, Command::Calibrate},
        {ID_TRAY_END_CALIBRATION, Command::EndCalibration}, {IDC_BTN_HIDE, Command::HideBar},
        {IDC_BTN_ROTATION, Command::ToggleRotation},    {IDC_BTN_QUICK, Command::QuickToolBar},
        {ID_TRAY_QUICK_BAR, Command::QuickToolBar},     {ID_TRAY_SHAPED_PROJECTION, Command::ShapedProjection},
        {ID_TRAY_RESET, Command::Reset},                {ID_TRAY_MEDIA_SHOW, Command::MediaShow},
        {ID_TRAY_EXIT, Command::Exit},
    };
    for (const auto& entry : kCommands) {
        if (entry.id != id) continue;
        Execute({entry.command});
        return true;
    }
    return false;
}

void CPavoraDlg::OnCalibrate()
{
    int side = launcher::GridSide(_wtoi(ItemText(IDC_COMBO_POINTS).c_str()));
    Calibration(side, side);
}

void CPavoraDlg::OnPointCountChanged()
{
    int count = launcher::ChosenPointCount(Item(IDC_COMBO_POINTS));
    if (count >= 0) SetCalibrationPointNum(count);
}

void CPavoraDlg::OnReset()
{
    if (kit::ShowMessageBox(Handle(), L"是否重置所有参数?", L"友情提示", MB_YESNO) == IDYES) Reset();
}

INT_PTR CPavoraDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled)
{
    switch (message) {
    case WM_PAINT:
        handled = OnPaintMinimised();
        return 0;
    case WM_QUERYDRAGICON:
        handled = true;
        return reinterpret_cast<INT_PTR>(icon_);
    case WM_LBUTTONDOWN:
        OnDragBar(lParam);
        handled = true;
        return 0;
    case launcher::kTrayNotifyMessage:
        handled = true;
        return tray_.OnNotify(wParam, lParam);
    case launcher::kShowBarMessage:
        Execute({Command::ShowBar});
        handled = true;
        return 0;
    case launcher::kRelabelMenuMessage:
        CTray::Relabel(reinterpret_cast<HMENU>(wParam), [this](const wchar_t* id) { return LanguageText(id); });
        handled = true;
        return 0;
    case launcher::kEffectStartedMessage:
        if (IsTrustedEffectPath(wParam))
            Execute({Command::EffectStarted, 0, *reinterpret_cast<const std::wstring*>(wParam)});
        handled = true;
        return 0;
    case launcher::kRunOnBarMessage:
        kit::RunPosted(wParam);
        handled = true;
        return 0;
    case WM_HOTKEY:
        OnHotKey(wParam, lParam);
        return 0;  // and on to default processing
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (!measure || measure->CtlType != ODT_MENU) return 0;
        tray_.MeasureItem(measure);
        handled = true;
        return TRUE;
    }
    case WM_DRAWITEM: {
        auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (!draw || draw->CtlType != ODT_MENU) return 0;
        handled = tray_.DrawItem(draw);
        return TRUE;
    }
    case WM_INITMENUPOPUP:
        // Default processing first; the owner-drawn look is only for the tray's menus.
        DefWindowProcW(Handle(), message, wParam, lParam);
        if (!HIWORD(lParam)) tray_.PreparePopup(reinterpret_cast<HMENU>(wParam));
        handled = true;
        return 0;
    default:
        return 0;
    }
}

// The library's last effect path, which lives in the library's image; any other process may
// post this message with any number.
bool CPavoraDlg::IsTrustedEffectPath(WPARAM pointer) const
{
    const void* object = reinterpret_cast<const void*>(pointer);
    if (!object) return false;
    return launcher::InWritableImageData(GetModuleHandleW(L"Tessaly.dll"), object, sizeof(std::wstring));
}

bool CPavoraDlg::PreTranslateMessage(MSG* msg)
{
    // Enter and Esc would end the bar through the dialog manager, and Space would click
    // the focused button; none of them may. Esc brings a hidden bar back instead.
    if (msg->message != WM_KEYDOWN) return false;
    if (msg->hwnd != Handle() && !IsChild(Handle(), msg->hwnd)) return false;
    switch (msg->wParam) {
    case VK_RETURN:
    case VK_SPACE:
        msg->wParam = 0;
        return true;
    case VK_ESCAPE:
        msg->wParam = 0;
        Show(SW_SHOWNORMAL);
        return true;
    default:
        return false;
    }
}

void CPavoraDlg::OnHotKey(WPARAM id, LPARAM keys)
{
    using Action = launcher::HotKeys::Action;
    static const struct {
        Action action;
        Command command;
    } kKeys[] = {{Action::Exit, Command::Exit},
                 {Action::RefreshBackground, Command::RefreshBackground},
                 {Action::Settings, Command::OpenSettings},
                 {Action::ToggleRotation, Command::ToggleRotation}};
    Action action = hotKeys_.Match(id, keys);
    // The sheet stands on the bar: from the keyboard the bar shows first.
    if (action == Action::Settings) Execute({Command::ShowBar});
    for (const auto& key : kKeys)
        if (key.action == action) Execute({key.command});
}

bool CPavoraDlg::OnTimer(UINT_PTR id)
{
    if (id == launcher::kGuardTimer) {
        if (guardian_) guardian_->OnTimer();
        return true;
    }
    if (id == launcher::kHideTimer) {
        Show(SW_HIDE);
        KillTimer(Handle(), launcher::kHideTimer);
        return true;
    }
    return playback_ && playback_->OnTimer(id);
}

void CPavoraDlg::OpenSettings()
{
    launcher::SettingsWrites writes;
    GeneralSetting();
    if (playback_) playback_->SettingsClosed(writes.Changed());
}

bool CPavoraDlg::OnPaintMinimised()
{
    if (!IsIconic(Handle())) return false;
    kit::PaintDC paint(Handle());
    HDC dc = paint.Get();
    SendMessageW(Handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(Handle(), &client);
    int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, x, y, icon_);
    return true;
}

void CPavoraDlg::OnDragBar(LPARAM position)
{
    // A click anywhere in the client area drags the bar as if on its caption.
    POINT point = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    ClientToScreen(Handle(), &point);
    PostMessageW(Handle(), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
}

void CPavoraDlg::OnDestroy()
{
    // Every orderly end (a closed bar, the session's end) is the operator's, as the exit is.
    if (guardian_) guardian_->Ending();
    // No transport may wait for a bar that is going.
    if (remoteCommands_) remoteCommands_->Closing();
    remote_.reset();
    hotKeys_.Unregister(Handle());
    if (playback_) playback_->Close();
    CloseCCV();
}

void CPavoraDlg::ShowTips(const std::wstring& text)
{
    kit::ShowMessageBox(Handle(), text.c_str(), L"Tips", MB_OK | MB_ICONWARNING);
}
