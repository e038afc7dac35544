#include "core/settings/StartWithWindows.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

#include "framework/Application.h"
#include "framework/Handles.h"

namespace option {
namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring ModulePath()
{
    std::vector<wchar_t> path(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) == path.size())
        path.resize(path.size() * 2);
    return std::wstring(path.data(), length);
}

// COM for the shell's link object, on whatever thread the page runs.
class ComScope {
public:
    ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComScope()
    {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT result_;
};

template <typename T>
class ComPtr {
public:
    ~ComPtr()
    {
        if (p_) p_->Release();
    }
    T** Out() { return &p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

// The Run key's entry of earlier versions started the launcher in the system folder.
bool RemoveRunEntry()
{
    kit::RegistryKey key;
    if (!key.Open(HKEY_CURRENT_USER, kRunKey, KEY_SET_VALUE)) return true;
    LONG status = RegDeleteValueW(key.Get(), kit::ModuleTitle(nullptr).c_str());
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace

std::wstring StartShortcutPath()
{
    wchar_t folder[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_STARTUP | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return std::wstring();
    return std::wstring(folder) + L"\\" + kit::ModuleTitle(nullptr) + L".lnk";
}

bool IsRegisteredToStart()
{
    std::wstring shortcut = StartShortcutPath();
    if (shortcut.empty() || !PathFileExistsW(shortcut.c_str())) return false;
    ComScope com;
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(link.Out()))))
        return false;
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Out()))) ||
        FAILED(file->Load(shortcut.c_str(), STGM_READ)))
        return false;
    wchar_t target[MAX_PATH] = L"";
    if (FAILED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH))) return false;
    return lstrcmpiW(target, ModulePath().c_str()) == 0;
}

bool RegisterToStart(bool on)
{
    bool runEntryGone = RemoveRunEntry();
    std::wstring shortcut = StartShortcutPath();
    if (shortcut.empty()) return false;
    if (!on) return (DeleteFileW(shortcut.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) && runEntryGone;

    std::wstring program = ModulePath();
    std::wstring folder = program.substr(0, program.find_last_of(L'\\'));
    ComScope com;
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(link.Out()))))
        return false;
    link->SetPath(program.c_str());
    link->SetWorkingDirectory(folder.c_str());
    ComPtr<IPersistFile> file;
    return SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Out()))) &&
           SUCCEEDED(file->Save(shortcut.c_str(), TRUE)) && runEntryGone;
}

}  // namespace option
