#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "framework/Dialog.h"
#include "launcher/Command.h"
#include "launcher/HotKeys.h"
#include "launcher/LanguageText.h"
#include "launcher/LibraryEffects.h"
#include "launcher/Tray.h"
#include "launcher/guardian/GuardianLink.h"
#include "launcher/guardian/RestartNote.h"
#include "launcher/playback/Playback.h"
#include "launcher/remote/BarCommands.h"
#include "launcher/remote/RemoteControl.h"
#include "launcher/resource.h"

// The launcher's main window: a narrow, always-on-top bar of buttons, hidden most of
// the time and reached through the tray icon. It turns its buttons, the tray menu, the hot
// keys and the library's messages into commands (Execute), hands what plays to the playback
// and shows its state. Its title (language text 6) is how a second copy of the launcher and
// the library's effect page find it.
class CPavoraDlg : public kit::Dialog, private launcher::PlaybackHost {
public:
    // `restart`: what the guardian said when it started the launcher again.
    explicit CPavoraDlg(const launcher::RestartNote& restart = launcher::RestartNote());
    ~CPavoraDlg() override;

    // Every operator's command goes through here, whatever its source; empty when done, else
    // why not.
    std::wstring Execute(const launcher::Request& request);

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
    bool PreTranslateMessage(MSG* msg) override;
    void OnDestroy() override;
    bool OnTimer(UINT_PTR id) override;

private:
    void ApplyLanguage();
    void RegisterHotKeys();
    void Open();

    void OnCalibrate();
    void OnPointCountChanged();
    void OnReset();
    void OnHotKey(WPARAM id, LPARAM keys);
    bool OnPaintMinimised();
    void OnDragBar(LPARAM position);
    bool IsTrustedEffectPath(WPARAM pointer) const;
    void OpenSettings();

    // launcher::PlaybackHost
    std::wstring LanguageText(const wchar_t* id) override { return launcher::LanguageText(id); }
    void ShowBar(bool show) override { Show(show ? SW_SHOW : SW_HIDE); }
    bool IsBarVisible() override { return IsVisible(); }
    void SetRotationCaption(const std::wstring& text) override { SetItemText(IDC_BTN_ROTATION, text.c_str()); }
    void SetStatusText(const std::wstring& text) override { SetItemText(IDC_STATIC_STATUS, text.c_str()); }
    void ShowTips(const std::wstring& text) override;

    HICON icon_ = nullptr;
    CTray tray_;
    launcher::HotKeys hotKeys_;
    bool penMode_ = false;
    launcher::LibraryEffects effects_;
    std::unique_ptr<launcher::Playback> playback_;
    launcher::RestartNote restart_;
    std::unique_ptr<launcher::GuardianLink> guardian_;
    // After the playback, before it ends: the transports hand their commands to the bar.
    std::unique_ptr<remote::BarCommands> remoteCommands_;
    std::unique_ptr<remote::RemoteControl> remote_;
};
