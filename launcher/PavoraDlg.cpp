#include "launcher/PavoraDlg.h"

#include <shlwapi.h>

#include <cmath>
#include <cwchar>
#include <vector>

#include "core/library/TessalyApi.h"
#include "framework/Application.h"
#include "framework/CriticalSection.h"
#include "framework/DataExchange.h"
#include "framework/Handles.h"
#include "framework/MessageBox.h"
#include "launcher/EffectPathCheck.h"
#include "launcher/LanguageText.h"
#include "launcher/LauncherSettings.h"
#include "launcher/MediaShow.h"
#include "launcher/PavoraMessages.h"
#include "launcher/TrayResources.h"
#include "launcher/resource.h"
#include "core/effects/PlaylistFile.h"
#include "launcher/supervision/EffectProcesses.h"

namespace {

// Timer 1 hides the bar once after start-up; 2 to 4 belong to the rotation, 5 to 7 to
// the supervision.
constexpr UINT_PTR kHideTimer = 1;
// The supervision's watch thread reports here; the projectors' switch says they are on.
constexpr UINT kSupervisionMessage = WM_APP + 20;
constexpr UINT kProjectorsReadyMessage = WM_APP + 21;

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
// The system time in FILETIME units: the effect's processes are those made after it.
ULONGLONG SystemTimeNow()
{
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
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

CPavoraDlg::CPavoraDlg() : kit::Dialog(IDD_PAVORA_DIALOG), rotation_(static_cast<launcher::RotationHost&>(*this))
{
    ThePointLock();  // ready before the library is handed the callback
    icon_ = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

CPavoraDlg::~CPavoraDlg() = default;

void CPavoraDlg::StartSupervision()
{
    supervision::SuperviseSettings settings = supervision::SuperviseSettings::Read(L"Bin\\config.ini");
    // Inherited by every program the launcher starts: an effect that crashes then ends,
    // rather than leaving a crash box on the projection.
    if (settings.on) SetErrorMode(SetErrorMode(0) | SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS);
    wchar_t folder[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, folder);
    supervisor_.reset(new supervision::Supervisor(Handle(), kSupervisionMessage,
                                                  static_cast<supervision::SupervisorHost&>(*this), settings, folder));
    supervisor_->LauncherStarted();
    LoadSchedule(false);
}

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

    bool readable = AnalysisEffectXml() != 0;
    effects_ = GetEffectPlayInfo();
    mainList_ = std::shared_ptr<const EffectList>(effects_, [](const EffectList*) {});
    rotation_.SetPlaylist(mainList_);
    StartSupervision();
    if (!readable) ReportUnreadablePlaylist();
    ChooseStartupAction();

    InitData(this);
    return TRUE;
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

void CPavoraDlg::ChooseStartupAction()
{
    // A schedule plays from the start, as "auto" would.
    if (schedule_->Active()) {
        schedule_->Resume();
        SetTimer(Handle(), kHideTimer, kHideAfterStart, nullptr);
        SetTimer(Handle(), launcher::kFrontTimer, launcher::kFrontDelay, nullptr);
        return;
    }
    size_t count = effects_ ? effects_->size() : 0;
    // Entries whose program is missing stay in the list but play no part in the choice: a
    // playlist of one present program plays it alone, as it always did.
    std::vector<std::wstring> present;
    for (int i = 0; i < rotation_.Count(); ++i)
        if (PathFileExistsW(RotationPath(i).c_str())) present.push_back(RotationPath(i));
    if (present.size() == 1) {
        std::wstring path = present.front();
        if (StartAndWatch(path, supervision::StartReason::Startup, false)) {
            ownEffectPath_ = &path;
            SendMessageW(Handle(), launcher::kEffectStartedMessage, reinterpret_cast<WPARAM>(&path), 0);
            ownEffectPath_ = nullptr;
            SetTimer(Handle(), kHideTimer, kHideAfterEffect, nullptr);
            SetTimer(Handle(), launcher::kFrontTimer, launcher::kFrontDelay, nullptr);
        }
    } else if (!penMode_) {
        if (count == 0 && launcher::IsAutoRotation() && !playlistProblem_.empty()) {
            // Where the rotation would play: the standby picture, not the desktop.
            supervisor_->Standby(L"the playlist data\\EffectPath.xml cannot be read");
        } else if (count > 0 && launcher::IsAutoRotation()) {
            nextStart_ = supervision::StartReason::Startup;
            rotation_.Toggle();
            nextStart_ = supervision::StartReason::RotationStep;
            SetTimer(Handle(), kHideTimer, kHideAfterStart, nullptr);
            SetTimer(Handle(), launcher::kFrontTimer, launcher::kFrontDelay, nullptr);
        }
    } else if (IsWindows7TouchMode() && launcher::StartsMediaShow()) {
        launcher::RunMediaShow(Handle(), penMode_);
        SetTimer(Handle(), kHideTimer, kHideAfterStart, nullptr);
    }
}

bool CPavoraDlg::OnCommand(WORD id, WORD code, HWND control)
{
    if (id == IDC_COMBO_POINTS) {
        if (code == CBN_SELCHANGE) OnPointCountChanged();
        return true;
    }
    switch (id) {
    case IDC_BTN_SETTING:
    case ID_TRAY_SETTINGS:
        OpenSettings();
        return true;
    case IDC_BTN_CALIBRATE:
    case ID_TRAY_CALIBRATE:
        OnCalibrate();
        return true;
    case ID_TRAY_END_CALIBRATION:
        CloseCab();
        return true;
    case IDC_BTN_HIDE:
        Show(SW_HIDE);
        return true;
    case IDC_BTN_ROTATION:
        ToggleRotation();
        return true;
    case IDC_BTN_QUICK:
    case ID_TRAY_QUICK_BAR:
        ShowQuickToolBar(SW_SHOWNORMAL);
        return true;
    case ID_TRAY_SHAPED_PROJECTION:
        ShowScreenAreaDlg();
        return true;
    case ID_TRAY_RESET:
        OnReset();
        return true;
    case ID_TRAY_MEDIA_SHOW:
        launcher::RunMediaShow(Handle(), penMode_);
        return true;
    case ID_TRAY_EXIT:
        if (kit::Application* app = kit::Application::Current()) return app->OnCommand(id);
        return false;
    default:
        return false;
    }
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
    case kTrayNotifyMessage:
        handled = true;
        return tray_.OnNotify(wParam, lParam);
    case launcher::kShowBarMessage:
        Show(SW_SHOWNORMAL);
        handled = true;
        return 0;
    case kRelabelMenuMessage:
        OnRelabelMenu(reinterpret_cast<HMENU>(wParam));
        handled = true;
        return 0;
    case launcher::kEffectStartedMessage:
        if (IsTrustedEffectPath(wParam)) {
            const std::wstring& path = *reinterpret_cast<const std::wstring*>(wParam);
            // The bar's own start-up effect was handed to the supervision where it started.
            if (wParam != reinterpret_cast<WPARAM>(ownEffectPath_))
                supervisor_->EffectStarted(path, supervision::StartReason::EffectPage, false);
            rotation_.OnEffectStarted(path);
        }
        handled = true;
        return 0;
    case kSupervisionMessage:
        if (supervisor_) supervisor_->OnReport(wParam, lParam);
        handled = true;
        return 0;
    case kProjectorsReadyMessage:
        if (schedule_) schedule_->OnProjectorMessage(wParam);
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

// The bar's own string, or the library's last effect path, which lives in the library's image.
bool CPavoraDlg::IsTrustedEffectPath(WPARAM pointer) const
{
    const void* object = reinterpret_cast<const void*>(pointer);
    if (!object) return false;
    if (object == ownEffectPath_) return true;
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
        OnOK();
        break;
    case Action::RefreshBackground:
        RefreshBkGround();
        break;
    case Action::Settings:
        Show(SW_SHOWNORMAL);
        OpenSettings();
        break;
    case Action::ToggleRotation:
        ToggleRotation();
        break;
    case Action::None:
        break;
    }
}

bool CPavoraDlg::OnTimer(UINT_PTR id)
{
    switch (id) {
    case kHideTimer:
        Show(SW_HIDE);
        KillTimer(Handle(), kHideTimer);
        break;
    case launcher::kRotationTimer:
        rotation_.Step();
        break;
    case launcher::kWatchdogTimer:
        // A lone effect waiting out a pause after its faults comes back by that retry.
        if (supervisor_ && supervisor_->RetryPending()) break;
        nextStart_ = supervision::StartReason::Watchdog;
        nextInRotation_ = false;
        nextStop_ = supervision::StopReason::Watchdog;
        rotation_.Watchdog();
        nextStart_ = supervision::StartReason::RotationStep;
        nextInRotation_ = true;
        nextStop_ = supervision::StopReason::RotationStep;
        break;
    case launcher::kFrontTimer:
        rotation_.BringEffectToFront();
        break;
    case launcher::ScheduledPlay::kClockTimer:
        if (schedule_) schedule_->OnClock();
        break;
    default:
        return supervisor_ && supervisor_->OnTimer(id);
    }
    return true;
}

void CPavoraDlg::ToggleRotation()
{
    nextStart_ = supervision::StartReason::RotationStart;
    nextStop_ = supervision::StopReason::UserStop;
    bool wasRunning = RotationRunning();
    // Under a schedule the operator's start resumes it: what is in force now plays.
    if (!wasRunning && schedule_->Active()) {
        schedule_->Resume();
        nextStart_ = supervision::StartReason::RotationStep;
        nextStop_ = supervision::StopReason::RotationStep;
        return;
    }
    rotation_.Toggle();
    if (wasRunning && !RotationRunning() && schedule_->Active()) schedule_->Suspend();
    nextStart_ = supervision::StartReason::RotationStep;
    nextStop_ = supervision::StopReason::RotationStep;
    if (wasRunning && !RotationRunning()) supervisor_->RotationStopped();
}

void CPavoraDlg::OpenSettings()
{
    std::vector<ULONGLONG> before = WriteTimes();
    GeneralSetting();
    std::vector<ULONGLONG> after = WriteTimes();
    std::wstring changed;
    for (size_t i = 0; i < before.size(); ++i)
        if (before[i] != after[i]) changed += (changed.empty() ? L"" : L", ") + std::wstring(kSettingsFiles[i]);
    supervisor_->SettingsClosed(changed);
    // A schedule written by the sheet holds from now on (the effect that plays is left
    // alone for any other file).
    if (before.back() != after.back()) LoadSchedule(true);
    else if (before.front() != after.front() && schedule_ && schedule_->Active())
        schedule_->LoadProjectors(L"Bin\\config.ini");
}

void CPavoraDlg::LoadSchedule(bool playNow)
{
    bool wasActive = schedule_ && schedule_->Active();
    bool suspended = schedule_ && schedule_->Suspended();
    schedule_.reset(new launcher::ScheduledPlay(Handle(), kProjectorsReadyMessage,
                                                static_cast<launcher::ScheduleHost&>(*this), mainList_));
    bool active = schedule_->Load(L"data\\Schedule.xml", L"Bin\\config.ini");
    if (!playNow || suspended || (!active && !wasActive)) return;
    if (active) {
        schedule_->Resume();
    } else {
        // The schedule went: the main playlist plays on, as without one.
        PlayPlaylist(mainList_);
    }
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
    KillTimer(Handle(), launcher::kWatchdogTimer);
    schedule_.reset();
    if (supervisor_) supervisor_->LauncherEnding();
    CloseCCV();
}

// launcher::RotationHost

bool CPavoraDlg::StartEffect(const wchar_t* path)
{
    return StartAndWatch(path, nextStart_, nextInRotation_);
}

bool CPavoraDlg::StartAndWatch(const std::wstring& path, supervision::StartReason reason, bool inRotation)
{
    ULONGLONG startedAt = SystemTimeNow();
    std::wstring why;
    if (!StartWithReason(path, why)) {
        if (supervisor_) supervisor_->StartFailed(path, why, inRotation);
        return false;
    }
    if (supervisor_) supervisor_->EffectStarted(path, reason, inRotation, startedAt);
    return true;
}

void CPavoraDlg::ReportUnreadablePlaylist()
{
    EffectList scratch;
    std::wstring problem;
    // The library says only that it failed; the reason is read again here for the log.
    if (tessaly::LoadPlaylist(L"data\\EffectPath.xml", scratch, &problem)) return;
    playlistProblem_ = problem;
    supervisor_->Log(L"playlist data\\EffectPath.xml could not be read: " + problem +
                     L"; the file is left as it is, and the effect page keeps a copy before it saves over it");
}

int CPavoraDlg::StopEffect(const wchar_t* path)
{
    if (supervisor_) supervisor_->EffectStopping(nextStop_);
    return KillProcessByName(path);
}

bool CPavoraDlg::IsNativeEffect(const std::wstring& path)
{
    return IsCplusEffect(path) != FALSE;
}

HWND CPavoraDlg::FindEffectWindow()
{
    return GetFlashWnd();
}

void CPavoraDlg::BringToFront(HWND window)
{
    SetForegroundWindow(window);
    SetActiveWindow(window);
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

std::wstring CPavoraDlg::RotationCaption()
{
    return ItemText(IDC_BTN_ROTATION);
}

void CPavoraDlg::SetRotationCaption(const std::wstring& text)
{
    SetItemText(IDC_BTN_ROTATION, text.c_str());
}

void CPavoraDlg::SetStatusText(const std::wstring& text)
{
    SetItemText(IDC_STATIC_STATUS, text.c_str());
}

void CPavoraDlg::StartTimer(UINT_PTR id, UINT period)
{
    if (id == launcher::kRotationTimer) rotationDueAt_ = GetTickCount64() + period;
    SetTimer(Handle(), id, period, nullptr);
}

void CPavoraDlg::StopTimer(UINT_PTR id)
{
    if (id == launcher::kRotationTimer) rotationDueAt_ = 0;
    KillTimer(Handle(), id);
}

void CPavoraDlg::ShowTips(const std::wstring& text)
{
    kit::ShowMessageBox(Handle(), text.c_str(), L"Tips", MB_OK | MB_ICONWARNING);
}

bool CPavoraDlg::CanPlay(const std::wstring& path)
{
    return !supervisor_ || supervisor_->CanPlay(path);
}

void CPavoraDlg::NothingToPlay()
{
    if (supervisor_) supervisor_->NothingToPlay();
}

// supervision::SupervisorHost

bool CPavoraDlg::RotationRunning()
{
    return RotationCaption() != LanguageText(L"3");
}

void CPavoraDlg::StepRotationNow()
{
    nextStart_ = supervision::StartReason::EarlyStep;
    rotation_.Step();
    nextStart_ = supervision::StartReason::RotationStep;
}

bool CPavoraDlg::PlayAgain(const std::wstring& path, std::wstring& why)
{
    return StartWithReason(path, why);
}

int CPavoraDlg::RotationIndex()
{
    return rotation_.Index();
}

int CPavoraDlg::RotationCount()
{
    return rotation_.Count();
}

std::wstring CPavoraDlg::RotationPath(int index)
{
    const EffectEntry* entry = rotation_.Entry(index);
    if (!entry) return std::wstring();
    return std::wstring(entry->path, wcsnlen(entry->path, sizeof(entry->path) / sizeof(entry->path[0])));
}

ULONGLONG CPavoraDlg::RotationDueInMs()
{
    if (!rotationDueAt_) return 0;
    ULONGLONG now = GetTickCount64();
    return rotationDueAt_ > now ? rotationDueAt_ - now : 1;
}

// launcher::ScheduleHost

void CPavoraDlg::PlayPlaylist(std::shared_ptr<const EffectList> list)
{
    supervisor_->ClosedHours(false);
    if (RotationRunning()) {
        nextStop_ = supervision::StopReason::Schedule;
        rotation_.Stop(false);
        nextStop_ = supervision::StopReason::RotationStep;
    }
    bool empty = !list || list->empty();
    rotation_.SetPlaylist(std::move(list));
    rotation_.Rewind();
    if (empty) {
        // No box for an empty list here: nobody may be there to close it.
        supervisor_->Log(L"schedule: nothing to play");
        supervisor_->ClosedHours(true);
        return;
    }
    nextStart_ = supervision::StartReason::Schedule;
    rotation_.Toggle();
    nextStart_ = supervision::StartReason::RotationStep;
}

void CPavoraDlg::CloseForNow()
{
    if (RotationRunning()) {
        nextStop_ = supervision::StopReason::Schedule;
        rotation_.Stop(false);
        nextStop_ = supervision::StopReason::RotationStep;
    }
    supervisor_->ClosedHours(true);
}

void CPavoraDlg::LogLine(const std::wstring& line)
{
    supervisor_->Log(line);
}

void CPavoraDlg::ScheduleStatus(const std::string& json)
{
    supervisor_->SetScheduleStatus(json);
}

void CPavoraDlg::ProjectorStatus(const std::vector<supervision::ProjectorReport>& reports)
{
    supervisor_->SetProjectorReports(reports);
}
