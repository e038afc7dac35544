#include "launcher/PavoraDlg.h"

#include <shlwapi.h>

#include <cmath>
#include <cwchar>
#include <vector>

#include "core/effects/PlaylistFile.h"
#include "core/library/TessalyApi.h"
#include "framework/Application.h"
#include "framework/CriticalSection.h"
#include "framework/DataExchange.h"
#include "framework/Handles.h"
#include "framework/MessageBox.h"
#include "framework/PostToWindow.h"
#include "launcher/BarWiring.h"
#include "launcher/EffectPathCheck.h"
#include "launcher/LanguageText.h"
#include "launcher/LauncherSettings.h"
#include "launcher/MediaShow.h"
#include "launcher/TrayResources.h"
#include "launcher/resource.h"

namespace {

using launcher::Command;
using launcher::Request;

// The files the settings sheet may write, and when each was last written.
const wchar_t* const kSettingsFiles[] = {L"Bin\\config.ini", L"data\\EffectPath.xml", L"data\\ConfigLight.xml",
                                         L"data\\ConfigSign.xml", L"data\\ConfigLaser.xml", L"data\\ConfigDI.xml",
                                         L"data\\multiplexer_settings.xml", L"data\\Schedule.xml"};

std::vector<ULONGLONG> WriteTimes()
{
    std::vector<ULONGLONG> times;
    for (const wchar_t* file : kSettingsFiles) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ULONGLONG time = 0;
        if (GetFileAttributesExW(file, GetFileExInfoStandard, &data))
            time = (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
        times.push_back(time);
    }
    return times;
}
// The system's own words for an error, for the log.
std::wstring ErrorText(DWORD error)
{
    wchar_t* text = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring said(text ? text : L"", text ? length : 0);
    if (text) LocalFree(text);
    while (!said.empty() && (said.back() == L'\n' || said.back() == L'\r' || said.back() == L' ' || said.back() == L'.'))
        said.pop_back();
    return (said.empty() ? std::wstring(L"error") : said) + L" (" + std::to_wstring(error) + L")";
}

// The library's start, with the reason of a failure.
bool StartWithReason(const std::wstring& path, std::wstring& why)
{
    SetLastError(ERROR_SUCCESS);
    if (PlayEffect(path.c_str())) return true;
    DWORD error = GetLastError();
    if (!PathFileExistsW(path.c_str())) why = L"the program file is missing";
    else why = ErrorText(error ? error : ERROR_GEN_FAILURE);
    return false;
}

constexpr UINT kHideAfterStart = 100;
constexpr UINT kHideAfterEffect = 1000;

// The library keeps the point callback for its point pipeline; the lock is what the
// callback guards.
kit::CriticalSection& ThePointLock()
{
    static kit::CriticalSection lock;
    return lock;
}

void OnPoint()
{
    kit::CriticalSection::Lock pass(ThePointLock());
}

}  // namespace

CPavoraDlg::CPavoraDlg() : kit::Dialog(IDD_PAVORA_DIALOG)
{
    ThePointLock();  // ready before the library is handed the callback
    icon_ = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

CPavoraDlg::~CPavoraDlg() = default;

BOOL CPavoraDlg::OnInitDialog()
{
    if (kit::Application* app = kit::Application::Current()) app->SetMainWindow(Handle());
    SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));

    penMode_ = launcher::IsPenMode();
    FillPointCounts();
    tray_.Create(Handle(), L"Quorvane", icon_);
    ApplyLanguage();
    if (!penMode_) EnableWindow(Item(IDC_BTN_QUICK), FALSE);
    SetPointCallBackMethod(OnPoint);
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
    playback_.reset(new launcher::Playback(Handle(), static_cast<launcher::PlaybackHost&>(*this)));
    switch (playback_->Open(GetEffectPlayInfo(), problem, penMode_)) {
    case launcher::Playback::Opening::LoneEffect:
        SetTimer(Handle(), launcher::kHideTimer, kHideAfterEffect, nullptr);
        SetTimer(Handle(), launcher::kFrontTimer, launcher::kFrontDelay, nullptr);
        break;
    case launcher::Playback::Opening::Rotation:
        SetTimer(Handle(), launcher::kHideTimer, kHideAfterStart, nullptr);
        SetTimer(Handle(), launcher::kFrontTimer, launcher::kFrontDelay, nullptr);
        break;
    case launcher::Playback::Opening::Nothing:
        if (penMode_ && IsWindows7TouchMode() && launcher::StartsMediaShow()) {
            launcher::RunMediaShow(Handle(), penMode_);
            SetTimer(Handle(), launcher::kHideTimer, kHideAfterStart, nullptr);
        }
        break;
    }
}

void CPavoraDlg::FillPointCounts()
{
    HWND box = Item(IDC_COMBO_POINTS);
    for (const wchar_t* count : {L"4", L"16", L"25", L"36"})
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(count));
    SendMessageW(box, CB_SETCURSEL, 0, 0);
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
    switch (request.command) {
    case Command::OpenSettings:
        OpenSettings();
        return L"";
    case Command::Calibrate:
        OnCalibrate();
        return L"";
    case Command::EndCalibration:
        CloseCab();
        return L"";
    case Command::ShowBar:
        Show(SW_SHOWNORMAL);
        return L"";
    case Command::HideBar:
        Show(SW_HIDE);
        return L"";
    case Command::QuickToolBar:
        ShowQuickToolBar(SW_SHOWNORMAL);
        return L"";
    case Command::ShapedProjection:
        ShowScreenAreaDlg();
        return L"";
    case Command::Reset:
        OnReset();
        return L"";
    case Command::MediaShow:
        launcher::RunMediaShow(Handle(), penMode_);
        return L"";
    case Command::RefreshBackground:
        RefreshBkGround();
        return L"";
    case Command::Exit:
        OnOK();
        return L"";
    default:
        return playback_ ? playback_->Execute(request) : L"the launcher is not ready";
    }
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
    int points = _wtoi(ItemText(IDC_COMBO_POINTS).c_str());
    int side = points > 0 ? static_cast<int>(std::sqrt(static_cast<double>(points))) : 0;
    Calibration(side, side);
}

void CPavoraDlg::OnPointCountChanged()
{
    HWND box = Item(IDC_COMBO_POINTS);
    LRESULT selected = SendMessageW(box, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) return;
    wchar_t text[16] = L"";
    if (SendMessageW(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(selected), 0) >= 16) return;
    SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(text));
    SetCalibrationPointNum(_wtoi(text));
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
        OnRelabelMenu(reinterpret_cast<HMENU>(wParam));
        handled = true;
        return 0;
    case launcher::kEffectStartedMessage:
        if (IsTrustedEffectPath(wParam) && playback_)
            playback_->EffectStartedElsewhere(*reinterpret_cast<const std::wstring*>(wParam));
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
    switch (hotKeys_.Match(id, keys)) {
    case Action::Exit:
        Execute({Command::Exit});
        break;
    case Action::RefreshBackground:
        Execute({Command::RefreshBackground});
        break;
    case Action::Settings:
        Execute({Command::ShowBar});
        Execute({Command::OpenSettings});
        break;
    case Action::ToggleRotation:
        Execute({Command::ToggleRotation});
        break;
    case Action::None:
        break;
    }
}

bool CPavoraDlg::OnTimer(UINT_PTR id)
{
    if (id == launcher::kHideTimer) {
        Show(SW_HIDE);
        KillTimer(Handle(), launcher::kHideTimer);
        return true;
    }
    return playback_ && playback_->OnTimer(id);
}

void CPavoraDlg::OpenSettings()
{
    std::vector<ULONGLONG> before = WriteTimes();
    GeneralSetting();
    std::vector<ULONGLONG> after = WriteTimes();
    std::vector<std::wstring> changed;
    for (size_t i = 0; i < before.size(); ++i)
        if (before[i] != after[i]) changed.push_back(kSettingsFiles[i]);
    if (playback_) playback_->SettingsClosed(changed);
}

void CPavoraDlg::OnRelabelMenu(HMENU popup)
{
    static const struct {
        UINT command;
        const wchar_t* text;
    } kLabels[] = {
        {ID_TRAY_CALIBRATE, L"2"}, {ID_TRAY_SETTINGS, L"1"}, {ID_TRAY_EXIT, L"7"}, {ID_TRAY_SHAPED_PROJECTION, L"58"},
    };
    for (const auto& label : kLabels)
        ModifyMenuW(popup, label.command, MF_BYCOMMAND | MF_STRING, label.command, LanguageText(label.text).c_str());
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
    hotKeys_.Unregister(Handle());
    if (playback_) playback_->Close();
    CloseCCV();
}

// launcher::PlaybackHost

bool CPavoraDlg::StartProgram(const std::wstring& path, std::wstring& why)
{
    return StartWithReason(path, why);
}

int CPavoraDlg::StopProgram(const std::wstring& path)
{
    return KillProcessByName(path.c_str());
}

bool CPavoraDlg::IsNativeEffect(const std::wstring& path)
{
    return IsCplusEffect(path) != FALSE;
}

HWND CPavoraDlg::FindEffectWindow()
{
    return GetFlashWnd();
}

std::wstring CPavoraDlg::LanguageText(const wchar_t* id)
{
    return launcher::LanguageText(id);
}

void CPavoraDlg::ShowBar(bool show)
{
    Show(show ? SW_SHOW : SW_HIDE);
}

bool CPavoraDlg::IsBarVisible()
{
    return IsVisible();
}

void CPavoraDlg::SetRotationCaption(const std::wstring& text)
{
    SetItemText(IDC_BTN_ROTATION, text.c_str());
}

void CPavoraDlg::SetStatusText(const std::wstring& text)
{
    SetItemText(IDC_STATIC_STATUS, text.c_str());
}

void CPavoraDlg::ShowTips(const std::wstring& text)
{
    kit::ShowMessageBox(Handle(), text.c_str(), L"Tips", MB_OK | MB_ICONWARNING);
}
