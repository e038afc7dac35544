#include "core/driver/CDriverInstallDlg.h"

#include <process.h>

#include "core/driver/CDlgBruthDriverSetup.h"
#include "core/driver/DriverPlatform.h"
#include "core/resources/DriverInstallDlg_rc.h"

namespace DRIVER {
namespace {

// The worker's result, handled on the window's own thread: a timer can only be killed there.
const UINT kResultMessage = WM_APP + 1;
const UINT_PTR kCloseTimer = 2;
const COLORREF kBackground = RGB(255, 255, 225);
const wchar_t kBaseText[] = L"正在安装光机驱动";
const wchar_t* const kDots[4] = {L"", L" .", L" . .", L" . . ."};

CDriverInstallDlg::Timing& CurrentTiming()
{
    static CDriverInstallDlg::Timing timing;
    return timing;
}

// Library-wide and never reset, so a later window may start at any of the four stages.
unsigned g_dotCounter = 0;

}  // namespace

CDriverInstallDlg::Timing CDriverInstallDlg::SetTiming(const Timing& timing)
{
    Timing previous = CurrentTiming();
    CurrentTiming() = timing;
    return previous;
}

CDriverInstallDlg::CDriverInstallDlg() : kit::Dialog(IDD_DRIVER_INSTALL, nullptr) {}

CDriverInstallDlg::~CDriverInstallDlg()
{
    // No worker may outlive its window's installation: the next one could start beside it.
    WaitForWorker();
    Destroy();
}

void CDriverInstallDlg::WaitForWorker()
{
    if (!worker_) return;
    WaitForSingleObject(worker_.Get(), INFINITE);
    worker_.Reset();
}

BOOL CDriverInstallDlg::OnInitDialog()
{
    SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(Handle());
    background_.Reset(CreateSolidBrush(kBackground));

    worker_.Reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, WorkerMain, this, 0, nullptr)));
    SetItemText(IDC_DRIVER_PROGRESS_TEXT, kBaseText);
    SetItemText(IDC_DRIVER_SPARE_TEXT, L" ");
    SetTimer(Handle(), kAnimationTimer, CurrentTiming().animationMs, nullptr);
    // Without a worker there is no result to wait for.
    if (!worker_) {
        OnResult(false);
        PostMessageW(Handle(), kInstallFinished, 0, 0);
    }
    return TRUE;
}

unsigned __stdcall CDriverInstallDlg::WorkerMain(void* dialog)
{
    CDriverInstallDlg* self = static_cast<CDriverInstallDlg*>(dialog);
    HWND window = self->Handle();
    bool succeeded = false;
    try {
        std::wstring infPath = InfPathForThisSystem();
        CDlgBruthDriverSetup setup;
        succeeded = setup.InstallFromInf(infPath);
    } catch (...) {
        // An INF that cannot be read (or not held in memory) is a failed installation; nothing
        // may end the caller's process from this thread.
        succeeded = false;
    }
    PostMessageW(window, kResultMessage, succeeded ? 1 : 0, 0);
    Sleep(CurrentTiming().resultShownMs);
    PostMessageW(window, kInstallFinished, 0, 0);
    return 0;
}

INT_PTR CDriverInstallDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled)
{
    switch (message) {
    case WM_TIMER:
        handled = true;
        if (wParam == kAnimationTimer) OnAnimationTimer();
        else if (wParam == kCloseTimer) {
            KillTimer(Handle(), kCloseTimer);
            OnOK();
        }
        return 0;
    case kResultMessage:
        handled = true;
        OnResult(wParam != 0);
        return 0;
    case kInstallFinished:
        handled = true;
        OnInstallFinished();
        return 0;
    case WM_ERASEBKGND: {
        handled = true;
        HDC dc = reinterpret_cast<HDC>(wParam);
        RECT client;
        GetClientRect(Handle(), &client);
        HPEN pen = CreatePen(PS_SOLID, 3, kBackground);
        HGDIOBJ oldPen = SelectObject(dc, pen);
        HGDIOBJ oldBrush = SelectObject(dc, background_.Get() ? background_.Get() : GetStockObject(WHITE_BRUSH));
        Rectangle(dc, client.left, client.top, client.right, client.bottom);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
        DeleteObject(pen);
        return TRUE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORDLG: {
        handled = true;
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
        return reinterpret_cast<INT_PTR>(background_.Get() ? background_.Get() : GetStockObject(WHITE_BRUSH));
    }
    default:
        return 0;
    }
}

void CDriverInstallDlg::OnAnimationTimer()
{
    // A tick already queued when the result came must not cover the result.
    if (resultShown_) return;
    std::wstring text = std::wstring(kBaseText) + kDots[g_dotCounter % 4];
    ++g_dotCounter;
    SetItemText(IDC_DRIVER_PROGRESS_TEXT, text.c_str());
    Redraw();
}

void CDriverInstallDlg::OnResult(bool succeeded)
{
    KillTimer(Handle(), kAnimationTimer);
    resultShown_ = true;
    SetItemText(IDC_DRIVER_PROGRESS_TEXT, succeeded ? L"驱动安装成功." : L"驱动安装失败.");
    Redraw();
    if (succeeded) success = 1;
}

void CDriverInstallDlg::OnInstallFinished()
{
    SetTimer(Handle(), kCloseTimer, CurrentTiming().closeDelayMs, nullptr);
}

void CDriverInstallDlg::OnOK()
{
    if (resultShown_) kit::Dialog::OnOK();
}

void CDriverInstallDlg::OnCancel()
{
    if (resultShown_) kit::Dialog::OnCancel();
}

void CDriverInstallDlg::Redraw()
{
    // The text is drawn transparently: without erasing, the old text would show through.
    RedrawWindow(Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

}  // namespace DRIVER
