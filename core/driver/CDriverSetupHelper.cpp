#include "core/driver/CDriverSetupHelper.h"

#include <newdev.h>
#include <setupapi.h>

#include <vector>

#include "core/driver/DeviceInfoSet.h"
#include "core/driver/InstallerSupport.h"
#include "framework/Handles.h"

namespace DRIVER {
namespace {

const wchar_t kReadFailed[] = L"读取驱动文件信息失败";

enum class PropertyRead { Read, Missing, Failed };

// The device's hardware-ID list into `buffer`, grown to what the system asks for; the
// list always ends in two NULs, whatever the property held.
PropertyRead ReadHardwareIds(HDEVINFO set, SP_DEVINFO_DATA& device, std::vector<BYTE>& buffer)
{
    for (;;) {
        std::fill(buffer.begin(), buffer.end(), 0);
        DWORD type = 0, required = 0;
        DWORD room = static_cast<DWORD>(buffer.size() - 2 * sizeof(wchar_t));
        if (SetupDiGetDeviceRegistryPropertyW(set, &device, SPDRP_HARDWAREID, &type, buffer.data(), room, &required))
            return PropertyRead::Read;
        DWORD error = GetLastError();
        if (error == ERROR_INVALID_DATA) return PropertyRead::Missing;
        if (error != ERROR_INSUFFICIENT_BUFFER || required <= room) return PropertyRead::Failed;
        buffer.resize(required + 2 * sizeof(wchar_t));
    }
}

}  // namespace

bool CDriverSetupHelper::IsHardwareIdPresent(const std::wstring& hardwareId)
{
    DeviceInfoSet set(SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT));
    if (!set.Valid()) {
        ShowInstallerMessage(L"驱动文件信息无效！");
        return false;
    }
    std::vector<BYTE> buffer(512);
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof(device);
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set.Get(), index, &device); ++index) {
        PropertyRead read = ReadHardwareIds(set.Get(), device, buffer);
        if (read == PropertyRead::Missing) continue;
        if (read == PropertyRead::Failed) {
            ShowInstallerMessage(L"未知错误");
            return false;
        }
        for (const wchar_t* id = reinterpret_cast<const wchar_t*>(buffer.data()); *id; id += wcslen(id) + 1) {
            if (_wcsicmp(id, hardwareId.c_str()) == 0) return true;
        }
    }
    return false;
}

bool CDriverSetupHelper::UpdateOrCreateDevice(const std::wstring& infPath, const std::wstring& hardwareId,
                                              BOOL* rebootNeeded)
{
    WIN32_FIND_DATAW found;
    if (!kit::FileSearch(infPath.c_str(), found)) {
        ShowInstallerMessage(L"找不到文件：" + infPath);
        return false;
    }

    BOOL reboot = FALSE;
    if (IsHardwareIdPresent(hardwareId)) {
        if (!UpdateDriverForPlugAndPlayDevicesW(nullptr, hardwareId.c_str(), FullPath(infPath).c_str(),
                                                INSTALLFLAG_FORCE, &reboot))
            return false;
    } else if (!CreateRootDevice(infPath, hardwareId, &reboot)) {
        return false;
    }
    if (rebootNeeded) *rebootNeeded = reboot;
    return true;
}

bool CDriverSetupHelper::CreateRootDevice(const std::wstring& infPath, const std::wstring& hardwareId,
                                          BOOL* rebootNeeded)
{
    std::wstring fullInf = FullPath(infPath);
    GUID classGuid = {};
    wchar_t className[2048] = L"";
    if (!SetupDiGetINFClassW(fullInf.c_str(), &classGuid, className, 2048, nullptr)) {
        ShowInstallerMessage(kReadFailed);
        return false;
    }
    DeviceInfoSet set(SetupDiCreateDeviceInfoList(&classGuid, nullptr));
    if (!set.Valid()) {
        ShowInstallerMessage(kReadFailed);
        return false;
    }
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof(device);
    if (!SetupDiCreateDeviceInfoW(set.Get(), className, &classGuid, nullptr, nullptr, DICD_GENERATE_ID, &device)) {
        ShowInstallerMessage(kReadFailed);
        return false;
    }

    // The ID as a one-string list: the ID, its NUL and the list's closing NUL.
    const size_t kListBytes = 4000;
    std::vector<wchar_t> list(hardwareId.begin(), hardwareId.end());
    list.push_back(L'\0');
    list.push_back(L'\0');
    DWORD bytes = static_cast<DWORD>(list.size() * sizeof(wchar_t));
    if (hardwareId.empty() || bytes > kListBytes ||
        !SetupDiSetDeviceRegistryPropertyW(set.Get(), &device, SPDRP_HARDWAREID,
                                           reinterpret_cast<const BYTE*>(list.data()), bytes)) {
        ShowInstallerMessage(kReadFailed);
        return false;
    }
    if (!SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set.Get(), &device)) {
        ShowInstallerMessage(kReadFailed);
        return false;
    }
    if (!UpdateDriverForPlugAndPlayDevicesW(nullptr, hardwareId.c_str(), fullInf.c_str(), INSTALLFLAG_FORCE,
                                            rebootNeeded)) {
        DWORD error = GetLastError();
        ShowInstallerMessage(kReadFailed);
        // A registered device without its driver would be left behind for good.
        if (!SetupDiCallClassInstaller(DIF_REMOVE, set.Get(), &device)) ShowInstallerMessage(kReadFailed);
        SetLastError(error);
        return false;
    }
    return true;
}

}  // namespace DRIVER
