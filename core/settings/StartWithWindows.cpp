#include "core/settings/StartWithWindows.h"

#include <windows.h>

#include <vector>

#include "framework/Application.h"
#include "framework/Handles.h"

namespace option {
namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring EntryName()
{
    return kit::ModuleTitle(nullptr);
}

}  // namespace

std::wstring StartCommand()
{
    std::vector<wchar_t> path(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) == path.size())
        path.resize(path.size() * 2);
    return L"\"" + std::wstring(path.data(), length) + L"\"";
}

bool IsRegisteredToStart()
{
    kit::RegistryKey key;
    if (!key.Open(HKEY_CURRENT_USER, kRunKey, KEY_QUERY_VALUE)) return false;
    DWORD type = 0;
    DWORD bytes = 0;
    std::wstring name = EntryName();
    if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    std::vector<wchar_t> value(bytes / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(value.data()), &bytes) !=
        ERROR_SUCCESS)
        return false;
    return lstrcmpiW(value.data(), StartCommand().c_str()) == 0;
}

bool RegisterToStart(bool on)
{
    kit::RegistryKey key;
    if (!key.Create(HKEY_CURRENT_USER, kRunKey, KEY_SET_VALUE)) return false;
    std::wstring name = EntryName();
    if (!on) {
        LONG status = RegDeleteValueW(key.Get(), name.c_str());
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    std::wstring command = StartCommand();
    return RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                          static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace option
