#pragma once
#include <windows.h>

#include <vector>

#include "launcher/Tray.h"
#include "launcher/TrayResources.h"

// A hidden window that owns a CTray as the launcher's main window does: it relabels the
// menu on kRelabelMenuMessage (ModifyMenuW by command), forwards the tray notification and
// the menu messages, and records what reached it.
class TrayTestOwner {
public:
    static constexpr const wchar_t* kCalibrate = L"Calibrate now";
    static constexpr const wchar_t* kSettings = L"Options";
    static constexpr const wchar_t* kExit = L"Quit";
    static constexpr const wchar_t* kShapedProjection = L"Screen area";

    TrayTestOwner()
    {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = &TrayTestOwner::Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TrayTestOwner";
        RegisterClassW(&windowClass);
        window = CreateWindowExW(0, L"TrayTestOwner", L"tray owner", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), this);
    }
    ~TrayTestOwner() { DestroyWindow(window); }
    TrayTestOwner(const TrayTestOwner&) = delete;
    TrayTestOwner& operator=(const TrayTestOwner&) = delete;

    void Pump()
    {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }

    HWND window = nullptr;
    CTray tray;
    bool relabel = true;
    std::vector<HMENU> relabelRequests;
    std::vector<WORD> commands;
    std::vector<HMENU> openedPopups;
    std::vector<int> defaultWhenOpened;
    std::vector<MEASUREITEMSTRUCT> measured;
    int drawn = 0;

private:
    void Relabel(HMENU popup)
    {
        relabelRequests.push_back(popup);
        if (!relabel) return;
        ModifyMenuW(popup, ID_TRAY_CALIBRATE, MF_BYCOMMAND | MF_STRING, ID_TRAY_CALIBRATE, kCalibrate);
        ModifyMenuW(popup, ID_TRAY_SETTINGS, MF_BYCOMMAND | MF_STRING, ID_TRAY_SETTINGS, kSettings);
        ModifyMenuW(popup, ID_TRAY_EXIT, MF_BYCOMMAND | MF_STRING, ID_TRAY_EXIT, kExit);
        ModifyMenuW(popup, ID_TRAY_SHAPED_PROJECTION, MF_BYCOMMAND | MF_STRING, ID_TRAY_SHAPED_PROJECTION,
                    kShapedProjection);
    }

    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE)
            SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<TrayTestOwner*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
        switch (message) {
        case kRelabelMenuMessage: self->Relabel(reinterpret_cast<HMENU>(wParam)); return 0;
        case kTrayNotifyMessage: return self->tray.OnNotify(wParam, lParam);
        case WM_COMMAND: self->commands.push_back(LOWORD(wParam)); return 0;
        case WM_INITMENUPOPUP:
            if (!HIWORD(lParam)) {
                HMENU popup = reinterpret_cast<HMENU>(wParam);
                self->openedPopups.push_back(popup);
                self->defaultWhenOpened.push_back(static_cast<int>(GetMenuDefaultItem(popup, TRUE, 0)));
                self->tray.PreparePopup(popup);
            }
            return 0;
        case WM_MEASUREITEM:
            self->tray.MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
            self->measured.push_back(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_DRAWITEM:
            if (self->tray.DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) ++self->drawn;
            return TRUE;
        default: return DefWindowProcW(hwnd, message, wParam, lParam);
        }
    }
};
