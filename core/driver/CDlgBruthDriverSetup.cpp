#include "core/driver/CDlgBruthDriverSetup.h"

#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>

#include <vector>

#include "core/driver/CDriverSetupHelper.h"
#include "core/driver/CInfFileHelper.h"
#include "core/driver/HardwareIdMatch.h"
#include "core/driver/InstallerSupport.h"

namespace DRIVER {

bool CDlgBruthDriverSetup::ScanInf(const std::wstring& infPath)
{
    devices_.Reset();
    hardwareId_.clear();
    infPath_.clear();

    std::vector<std::wstring> infIds;
    {
        CInfFileHelper inf;
        if (!inf.Open(infPath)) return false;
        std::vector<std::wstring> manufacturers, ids;
        inf.GetManufacturers(manufacturers);
        for (const std::wstring& entry : manufacturers) {
            if (inf.GetModelIds(entry, ids)) infIds.insert(infIds.end(), ids.begin(), ids.end());
        }
    }
    infPath_ = infPath;

    GUID classGuid = {};
    wchar_t className[260] = L"";
    if (!SetupDiGetINFClassW(FullPath(infPath).c_str(), &classGuid, className, 260, nullptr)) {
        ShowInstallerMessage(L"打开文件" + infPath + L"失败！");
        return false;
    }

    devices_.Reset(SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES | DIGCF_PROFILE));
    if (!devices_.Valid()) return true;
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof(device);
    // 2000 bytes of property and two NULs that always end its first string.
    wchar_t property[1002];
    for (DWORD index = 0; SetupDiEnumDeviceInfo(devices_.Get(), index, &device); ++index) {
        ZeroMemory(property, sizeof(property));
        DWORD type = 0;
        if (!SetupDiGetDeviceRegistryPropertyW(devices_.Get(), &device, SPDRP_HARDWAREID, &type,
                                               reinterpret_cast<BYTE*>(property), 2000, nullptr))
            continue;
        std::wstring deviceId = property;
        for (const std::wstring& infId : infIds) {
            if (HardwareIdMatches(deviceId, infId)) {
                hardwareId_ = deviceId;
                break;
            }
        }
    }
    return true;
}

bool CDlgBruthDriverSetup::TakeFirstModelId(const std::wstring& infPath)
{
    CInfFileHelper inf;
    if (!inf.Open(infPath)) return false;
    hardwareId_ = inf.FirstModelId();
    return true;
}

bool CDlgBruthDriverSetup::IsDevicePresent(const std::wstring& infPath)
{
    if (!FileExists(infPath)) return false;
    if (!ScanInf(infPath)) return false;
    if (hardwareId_.empty()) TakeFirstModelId(infPath);
    return !hardwareId_.empty() && CDriverSetupHelper().IsHardwareIdPresent(hardwareId_);
}

bool CDlgBruthDriverSetup::Install()
{
    if (hardwareId_.empty() && !TakeFirstModelId(infPath_)) return false;
    if (hardwareId_.empty()) return false;
    BOOL reboot = FALSE;
    if (!CDriverSetupHelper().UpdateOrCreateDevice(infPath_, hardwareId_, &reboot)) {
        ShowInstallerMessage(L"安装驱动失败!");
        return false;
    }
    // The new device's own hardware ID from now on.
    std::wstring infPath = infPath_;
    ScanInf(infPath);
    return true;
}

bool CDlgBruthDriverSetup::InstallFromInf(const std::wstring& infPath)
{
    if (!FileExists(infPath)) {
        ShowInstallerMessage(L"没有找到安装驱动程序，请检查您的安装包!");
        return false;
    }
    if (!ScanInf(infPath) || !Install()) return false;
    // So that the system finds the new device and gives it its driver.
    DEVINST root = 0;
    if (CM_Locate_DevNodeW(&root, nullptr, CM_LOCATE_DEVNODE_NORMAL) == CR_SUCCESS) CM_Reenumerate_DevNode(root, 0);
    return true;
}

}  // namespace DRIVER
