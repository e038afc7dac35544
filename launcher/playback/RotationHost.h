#pragma once
#include <windows.h>

#include <string>

#include "launcher/supervision/Reasons.h"

namespace launcher {

// What the effect rotation needs of the launcher: the library's effect calls, the bar's
// controls and timers. Why an effect starts or stops comes with each call.
class RotationHost {
public:
    virtual ~RotationHost() = default;

    // A start that fails is the host's to record as that entry's failure.
    virtual bool StartEffect(const std::wstring& path, supervision::StartReason reason, bool inRotation) = 0;
    // Non-zero exactly when the program was running and has been ended.
    virtual int StopEffect(const std::wstring& path, supervision::StopReason reason) = 0;
    // A native effect program ("effect.exe"), which the watchdog restarts.
    virtual bool IsNativeEffect(const std::wstring& path) = 0;
    virtual HWND FindEffectWindow() = 0;
    virtual void BringToFront(HWND window) = 0;
    virtual std::wstring LanguageText(const wchar_t* id) = 0;

    virtual void ShowBar(bool show) = 0;
    virtual bool IsBarVisible() = 0;
    virtual void SetRotationCaption(const std::wstring& text) = 0;
    virtual void SetStatusText(const std::wstring& text) = 0;
    virtual void StartTimer(UINT_PTR id, UINT period) = 0;
    virtual void StopTimer(UINT_PTR id) = 0;
    // A warning box owned by the bar, caption "Tips".
    virtual void ShowTips(const std::wstring& text) = 0;

    // Whether the rotation may play this entry now (its program is there, it is not set
    // aside); an entry it may not is passed over.
    virtual bool CanPlay(const std::wstring&) { return true; }
    // No entry of the playlist can play.
    virtual void NothingToPlay() {}
};

}  // namespace launcher
