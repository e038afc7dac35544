// The small exports whose behaviour belongs to the library frame itself.
#include "core/library/TessalyApi.h"

#include "core/library/BrimwellApp.h"
#include "core/frame/LibraryState.h"
#include "core/settings/OptionPropertySheet.h"
#include "core/settings/CDialogVedioSrc.h"
#include "core/settings/CDlgScreenArea.h"
#include "core/settings/CDlgToolBar.h"
#include "core/text/ConfigFile.h"
#include "core/touch/TouchManager.h"
#include "framework/MessageBox.h"
#include "framework/ResourceScope.h"

namespace {

// Marks a window as open for the lifetime of the object, so that a second call from
// inside that window's own message loop returns at once.
class OpenFlag {
public:
    explicit OpenFlag(LONG& flag) : flag_(flag) { flag_ = 1; }
    ~OpenFlag() { flag_ = 0; }
    OpenFlag(const OpenFlag&) = delete;
    OpenFlag& operator=(const OpenFlag&) = delete;

private:
    LONG& flag_;
};

}  // namespace

void __stdcall SetPointCallBackMethod(PointCallback callback)
{
    tessaly::Library().pointCallback = callback;
}

void SetCalibrationPointNum(int count)
{
    tessaly::Library().calibrationPointCount = count;
}

int Reset()
{
    namespace config = tessaly::config;
    kit::ModuleStateScope scope(tessaly::Library().instance);
    if (TouchManager* touch = TouchManager::Current()) touch->SetFilterWay(0);
    config::WriteString(config::kFilterWay, L"0");
    config::WriteString(config::kDotCursor, L"0");
    return kit::ShowMessageBox(nullptr, L"恢复默认配置成功\n请重启软件", TheApp().Title().c_str(), MB_OK);
}

void __stdcall GeneralSetting()
{
    kit::ModuleStateScope scope(tessaly::Library().instance);
    tessaly::LibraryState& state = tessaly::Library();
    if (state.sheetOpen) return;
    OpenFlag open(state.sheetOpen);
    option::COptionPropertySheet sheet;
    sheet.DoModal();
}

void ShowMultiCameraCalibDlg()
{
    kit::ModuleStateScope scope(tessaly::Library().instance);
    tessaly::LibraryState& state = tessaly::Library();
    if (state.cameraDialogOpen) return;
    OpenFlag open(state.cameraDialogOpen);
    CDialogVedioSrc dialog;
    dialog.Source().Forget();
    dialog.DoModal();
}

void ShowScreenAreaDlg()
{
    kit::ModuleStateScope scope(tessaly::Library().instance);
    // Owned by the caller's active window, which stays disabled while the dialog runs.
    CDlgScreenArea dialog(GetActiveWindow());
    dialog.DoModal();
}

// The floating tool bar serves the pen devices only.
void ShowQuickToolBar(int showCommand)
{
    if (deviceType == 0) return;
    kit::ModuleStateScope scope(tessaly::Library().instance);
    CDlgToolBar& bar = QuickToolBar();
    if (!bar.Handle() && !bar.Create(nullptr)) return;
    bar.Show(showCommand);
}

// What the callers expect of these is that they return; the tracker does the work itself.
void __stdcall Calibration(int rows, int columns) {}
void __stdcall CloseCab() {}
void __stdcall RectifyCamera() {}
void __stdcall RefreshBkGround() {}
void __stdcall SetManagerSmooth(int value) {}
