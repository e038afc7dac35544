#include "framework/ProcessList.h"

#include <tlhelp32.h>
#include <wctype.h>

#include "framework/Handles.h"

namespace kit {

std::wstring LowerName(std::wstring name)
{
    for (wchar_t& c : name) c = static_cast<wchar_t>(towlower(c));
    return name;
}

std::vector<ProcessInfo> ListProcesses()
{
    std::vector<ProcessInfo> list;
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return list;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry))
        list.push_back({entry.th32ProcessID, entry.th32ParentProcessID, LowerName(entry.szExeFile)});
    return list;
}

bool IsCrashDialog(const std::wstring& image)
{
    return image == L"werfault.exe" || image == L"winedbg.exe";
}

std::wstring ProcessImagePath(HANDLE process)
{
    wchar_t path[MAX_PATH * 2] = L"";
    DWORD size = MAX_PATH * 2;
    if (!QueryFullProcessImageNameW(process, 0, path, &size)) return std::wstring();
    return std::wstring(path, size);
}

}  // namespace kit
