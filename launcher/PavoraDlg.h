#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "framework/Dialog.h"
#include "launcher/EffectRotation.h"
#include "launcher/HotKeys.h"
#include "launcher/RotationHost.h"
#include "launcher/Tray.h"
#include "launcher/schedule/ScheduledPlay.h"
#include "launcher/supervision/Supervisor.h"

// The launcher's main window: a narrow, always-on-top bar of buttons, hidden most of
// the time and reached through the tray icon. It owns the hot keys, the timers and the
// tray icon and routes every command to the library. Its title (language text 6) is how
// a second copy of the launcher and the library's effect page find it.
class CPavoraDlg : public kit::Dialog,
                   private launcher::RotationHost,
                   private supervision::SupervisorHost,
                   private launcher::ScheduleHost {
public:
    CPavoraDlg();
    ~CPavoraDlg() override;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    bool PreTranslateMessage(MSG* msg) override;
    void OnDestroy() override;
    bool OnTimer(UINT_PTR id) override;

private:
    void ApplyLanguage();
    void FillPointCounts();
    void RegisterHotKeys();
    void ChooseStartupAction();
    // Starts an effect through the library; a failure is the supervision's to record.
    bool StartAndWatch(const std::wstring& path, supervision::StartReason reason, bool inRotation);
    // Logs why data\EffectPath.xml did not load.
    void ReportUnreadablePlaylist();

    void OnCalibrate();
    void OnPointCountChanged();
    void OnReset();
    void OnHotKey(WPARAM id, LPARAM keys);
    void OnRelabelMenu(HMENU popup);
    bool OnPaintMinimised();
    void OnDragBar(LPARAM position);
    bool IsTrustedEffectPath(WPARAM pointer) const;
    void ToggleRotation();
    void OpenSettings();
    void StartSupervision();
    // Reads data\Schedule.xml and the projector section (again); `playNow` plays by a
    // schedule that came or changed, and the main playlist when it went.
    void LoadSchedule(bool playNow);

    // launcher::RotationHost
    bool StartEffect(const wchar_t* path) override;
    int StopEffect(const wchar_t* path) override;
    bool IsNativeEffect(const std::wstring& path) override;
    HWND FindEffectWindow() override;
    void BringToFront(HWND window) override;
    std::wstring LanguageText(const wchar_t* id) override;
    void ShowBar(bool show) override;
    bool IsBarVisible() override;
    std::wstring RotationCaption() override;
    void SetRotationCaption(const std::wstring& text) override;
    void SetStatusText(const std::wstring& text) override;
    void StartTimer(UINT_PTR id, UINT period) override;
    void StopTimer(UINT_PTR id) override;
    void ShowTips(const std::wstring& text) override;
    bool CanPlay(const std::wstring& path) override;
    void NothingToPlay() override;

    // supervision::SupervisorHost
    bool RotationRunning() override;
    void StepRotationNow() override;
    bool PlayAgain(const std::wstring& path, std::wstring& why) override;
    int RotationIndex() override;
    int RotationCount() override;
    std::wstring RotationPath(int index) override;
    ULONGLONG RotationDueInMs() override;

    // launcher::ScheduleHost
    void PlayPlaylist(std::shared_ptr<const EffectList> list) override;
    void CloseForNow() override;
    void LogLine(const std::wstring& line) override;
    void ScheduleStatus(const std::string& json) override;
    void ProjectorStatus(const std::vector<supervision::ProjectorReport>& reports) override;

    HICON icon_ = nullptr;
    CTray tray_;
    launcher::HotKeys hotKeys_;
    launcher::EffectRotation rotation_;
    const EffectList* effects_ = nullptr;
    std::shared_ptr<const EffectList> mainList_;  // the library's playlist, which the library keeps
    bool penMode_ = false;
    std::wstring playlistProblem_;  // why the main playlist could not be read; empty when it could
    const std::wstring* ownEffectPath_ = nullptr;  // while the bar sends the message itself

    std::unique_ptr<supervision::Supervisor> supervisor_;
    std::unique_ptr<launcher::ScheduledPlay> schedule_;
    // Why the rotation's next start and stop happen, set by whoever drives it.
    supervision::StartReason nextStart_ = supervision::StartReason::RotationStep;
    bool nextInRotation_ = true;
    supervision::StopReason nextStop_ = supervision::StopReason::RotationStep;
    ULONGLONG rotationDueAt_ = 0;  // when timer 2 fires; 0 while it is not set
};
