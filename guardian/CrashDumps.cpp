#include "guardian/CrashDumps.h"

#include <dbghelp.h>

#include <algorithm>
#include <cwchar>
#include <vector>

#include "framework/Handles.h"

namespace guardian {

std::wstring CrashDumps::Write(HANDLE process, DWORD pid, const wchar_t* why, const CrashNote* note,
                               std::wstring& problem)
{
    CreateDirectoryW((folder_.substr(0, folder_.rfind(L'\\'))).c_str(), nullptr);
    CreateDirectoryW(folder_.c_str(), nullptr);
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t name[96];
    std::swprintf(name, 96, L"Pavora-%04u%02u%02u-%02u%02u%02u-%03u-%ls.dmp", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond, now.wMilliseconds, why);
    const std::wstring path = folder_ + L"\\" + name;
    kit::UniqueHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        problem = L"cannot create " + path + L" (error " + std::to_wstring(GetLastError()) + L")";
        return std::wstring();
    }
    MINIDUMP_EXCEPTION_INFORMATION exception{};
    if (note) {
        exception.ThreadId = note->threadId;
        exception.ExceptionPointers = reinterpret_cast<PEXCEPTION_POINTERS>(static_cast<ULONG_PTR>(note->pointers));
        exception.ClientPointers = TRUE;
    }
    // Without reading every module's symbols first (the dump does not hold them anyway): that
    // took seconds, while the projection waits for the launcher to come back.
    SymSetOptions(SymGetOptions() | SYMOPT_DEFERRED_LOADS);
    bool symbols = SymInitializeW(process, nullptr, FALSE) != FALSE;
    BOOL written = MiniDumpWriteDump(process, pid, file.Get(), MiniDumpNormal, note ? &exception : nullptr, nullptr,
                                     nullptr);
    DWORD error = GetLastError();
    if (symbols) SymCleanup(process);
    if (!written) {
        problem = L"the dump failed (error " + std::to_wstring(error) + L")";
        file.Reset();
        DeleteFileW(path.c_str());
        return std::wstring();
    }
    file.Reset();
    KeepNewest();
    return name;
}

void CrashDumps::KeepNewest()
{
    // The names begin with the local time, so their order is their age.
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder_ + L"\\Pavora-*.dmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    if (names.size() <= kKept) return;
    std::sort(names.begin(), names.end());
    for (size_t i = 0; i + kKept < names.size(); ++i) DeleteFileW((folder_ + L"\\" + names[i]).c_str());
}

}  // namespace guardian
