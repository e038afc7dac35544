#include "core/settings/ScreenManagePage.h"

#include <windows.h>

#include <string>

#include "core/frame/CameraList.h"
#include "core/settings/SaveFailures.h"
#include "core/text/ConfigFile.h"
#include "core/text/tstring.h"
#include "core/touch/Cursor.h"
#include "framework/DataExchange.h"

namespace {

namespace config = tessaly::config;

// The file holds the names and identifiers in the system's code page.
std::wstring Wide(const std::string& text)
{
    std::string copy = text;
    return tstring(&copy[0]).GetBase();
}

}  // namespace

CScreenManagePage::CScreenManagePage() : PropertyPage(IDD_SCREEN_MANAGE_PAGE) {}

CScreenManagePage::~CScreenManagePage()
{
    Destroy();
}

void CScreenManagePage::BindControls()
{
    screenCombo_ = Item(IDC_SCREEN_NAME);
    cameraCombo_ = Item(IDC_SCREEN_CAMERA_NAME);
}

BOOL CScreenManagePage::OnInitDialog()
{
    BindControls();
    tessaly::LoadCameraList(cameras);
    for (const tessaly::CameraEntry& camera : cameras)
        SendMessageW(cameraCombo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(camera.name).c_str()));
    if (SendMessageW(cameraCombo_, CB_GETCOUNT, 0, 0) > 0) {
        SendMessageW(cameraCombo_, CB_SETCURSEL, 0, 0);
        ShowCamera();
    }
    kit::SetChecked(Handle(), IDC_SCREEN_ORDINARY_CAMERAS, config::ReadInt(config::kMaskCommonCamera) == 0);
    bool dot = config::ReadInt(config::kDotCursor) != 0;
    kit::CheckIndex(Handle(), {IDC_SCREEN_NORMAL_CURSOR, IDC_SCREEN_DOT_CURSOR}, dot ? 1 : 0);
    // Hidden, the box still carries the stored value back when the page goes.
    if (config::ReadInt(config::kDebug) == 0) ShowWindow(Item(IDC_SCREEN_ORDINARY_CAMERAS), SW_HIDE);
    return TRUE;
}

int CScreenManagePage::SelectedCamera() const
{
    LRESULT selected = SendMessageW(cameraCombo_, CB_GETCURSEL, 0, 0);
    if (selected < 0 || static_cast<size_t>(selected) >= cameras.size()) return -1;
    return static_cast<int>(selected);
}

void CScreenManagePage::ShowCamera()
{
    int i = SelectedCamera();
    if (i < 0) return;
    const tessaly::CameraEntry& camera = cameras[static_cast<size_t>(i)];
    kit::SetChecked(Handle(), IDC_SCREEN_CAMERA_USED, camera.used);
    SetItemText(IDC_SCREEN_CAMERA_GUID, Wide(camera.guid).c_str());
    SetItemText(IDC_SCREEN_CAMERA_INDEX, std::to_wstring(camera.index).c_str());
}

void CScreenManagePage::OnCameraUsed()
{
    int i = SelectedCamera();
    // Without a camera list there is nothing the box could mean.
    if (i < 0) {
        kit::SetChecked(Handle(), IDC_SCREEN_CAMERA_USED, false);
        return;
    }
    cameras[static_cast<size_t>(i)].used = kit::IsChecked(Handle(), IDC_SCREEN_CAMERA_USED);
}

void CScreenManagePage::OnNormalCursor()
{
    RestoreCursor();
    option::NoteConfigWrite(config::WriteInt(config::kDotCursor, 0));
}

void CScreenManagePage::OnDotCursor()
{
    // Stored even after No or a refused change, so the next start sets it without asking.
    SetDotCursor(false);
    option::NoteConfigWrite(config::WriteInt(config::kDotCursor, 1));
}

bool CScreenManagePage::OnCommand(WORD id, WORD code, HWND)
{
    switch (id) {
    case IDC_SCREEN_CAMERA_NAME:
        if (code == CBN_SELCHANGE) ShowCamera();
        return true;
    case IDC_SCREEN_CAMERA_USED:
        if (code == BN_CLICKED) OnCameraUsed();
        return true;
    case IDC_SCREEN_NORMAL_CURSOR:
        if (code == BN_CLICKED) OnNormalCursor();
        return true;
    case IDC_SCREEN_DOT_CURSOR:
        if (code == BN_CLICKED) OnDotCursor();
        return true;
    case IDC_SCREEN_NAME:
    case IDC_SCREEN_SWITCH_ON:
        return true;
    default:
        return false;
    }
}

void CScreenManagePage::Store()
{
    option::NoteConfigWrite(
        config::WriteInt(config::kMaskCommonCamera, kit::IsChecked(Handle(), IDC_SCREEN_ORDINARY_CAMERAS) ? 0 : 1));
    option::NoteCameraListWrite(tessaly::SaveCameraList(cameras));
}

void CScreenManagePage::OnDestroy()
{
    Store();
}
