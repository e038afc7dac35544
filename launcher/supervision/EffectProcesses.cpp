#include "launcher/supervision/EffectProcesses.h"

#include <tlhelp32.h>
#include <wctype.h>

#include "framework/Handles.h"

namespace supervision {

std::wstring LowerName(std::wstring name)
{
    for (wchar_t& c : name) c = static_cast<wchar_t>(towlower(c));
    return name;
}

std::wstring EffectImageName(const std::wstring& path)
{
    std::wstring name = LowerName(path);
    size_t slash = name.rfind(L'\\');
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    // The library's stop ends the shell of a command file; so it is what is watched.
    if (name.find(L".cmd") != std::wstring::npos) return L"nimbrel.exe";
    return name;
}

std::vector<ProcessInfo> ListProcesses()
{
    std::vector<ProcessInfo> list;
    kit::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return list;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry))
        list.push_back({entry.th32ProcessID, entry.th32ParentProcessID, LowerName(entry.szExeFile)});
    return list;
}

}  // namespace supervision
