#pragma once
// What the driver tests need of Wine's devices and of the installation's record.
#include <windows.h>
#include <setupapi.h>

#include <cwchar>
#include <string>

namespace testing_support {

// The first hardware ID of a present device that Wine lists under HID, or empty.
inline std::wstring PresentHidId()
{
    HDEVINFO set = SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) return std::wstring();
    std::wstring found;
    SP_DEVINFO_DATA data = {};
    data.cbSize = sizeof(data);
    for (DWORD i = 0; found.empty() && SetupDiEnumDeviceInfo(set, i, &data); ++i) {
        wchar_t ids[1024] = {};
        if (SetupDiGetDeviceRegistryPropertyW(set, &data, SPDRP_HARDWAREID, nullptr, reinterpret_cast<BYTE*>(ids),
                                              sizeof(ids) - 4, nullptr) &&
            wcsncmp(ids, L"HID\\", 4) == 0)
            found = ids;
    }
    SetupDiDestroyDeviceInfoList(set);
    return found;
}

// HKEY_CURRENT_USER\SOFTWARE\vrel, value bDriverInstalled: false when it is not there.
inline bool DriverInstalledValue(DWORD& value)
{
    DWORD size = sizeof(value), type = 0;
    return RegGetValueW(HKEY_CURRENT_USER, L"SOFTWARE\\vrel", L"bDriverInstalled", RRF_RT_ANY, &type, &value,
                        &size) == ERROR_SUCCESS &&
           type == REG_DWORD;
}

inline void DeleteDriverInstalledValue()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\vrel", 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueW(key, L"bDriverInstalled");
    RegCloseKey(key);
}

}  // namespace testing_support
