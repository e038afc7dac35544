#include "core/settings/CDialogVedioSrc.h"

#include <windowsx.h>

#include "core/frame/LibraryState.h"
#include "core/frame/TrackerFiles.h"

CDialogVedioSrc::CDialogVedioSrc(HWND parent) : Dialog(IDD_VIDEO_SOURCE_DIALOG, parent) {}

void CDialogVedioSrc::SetWidth(HWND window, int width)
{
    RECT rect;
    GetWindowRect(window, &rect);
    SetWindowPos(window, nullptr, 0, 0, width, rect.bottom - rect.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CDialogVedioSrc::OnInitDialog()
{
    source_.ReadFrameSize();
    SetWidth(Handle(), source_.frameWidth);
    SetWidth(Item(IDC_CALIB_SOURCE), source_.frameWidth);
    SetWidth(Item(IDC_CALIB_RECOGNITION), source_.frameWidth);
    GetClientRect(Item(IDC_CALIB_SOURCE), &source_.videoRect);
    MapWindowPoints(Item(IDC_CALIB_SOURCE), Handle(), reinterpret_cast<POINT*>(&source_.videoRect), 2);

    // Centred on the screen's work area: the dialog may run without an owner.
    RECT window, work;
    GetWindowRect(Handle(), &window);
    HMONITOR monitor = MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(monitor, &info);
    work = info.rcWork;
    int width = window.right - window.left, height = window.bottom - window.top;
    SetWindowPos(Handle(), nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetForegroundWindow(Handle());
    return TRUE;
}

bool CDialogVedioSrc::OnCommand(WORD id, WORD code, HWND)
{
    if (code != BN_CLICKED) return false;
    switch (id) {
    case IDC_CALIB_CONFIRM:
        if (!source_.HasPoint()) ShowMissingPointMessage(Handle());
        return true;
    case IDC_CALIB_PREVIOUS:
    case IDC_CALIB_PROJECTOR: return true;
    default: return false;
    }
}

INT_PTR CDialogVedioSrc::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled)
{
    if (message == WM_LBUTTONDOWN && deviceType == tessaly::Light)
        source_.Map(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    return Dialog::OnMessage(message, wParam, lParam, handled);
}
