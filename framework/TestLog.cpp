#include "framework/TestLog.h"

#include <windows.h>

#include <vector>

#include "framework/Handles.h"
#include "framework/Utf8.h"

namespace kit {

std::wstring EnvironmentValue(const wchar_t* name)
{
    DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
    if (needed == 0) return std::wstring();
    std::vector<wchar_t> buffer(needed + 1, L'\0');
    GetEnvironmentVariableW(name, buffer.data(), needed + 1);
    return std::wstring(buffer.data());
}

bool AppendTestLog(const wchar_t* variable, const std::wstring& line)
{
    std::wstring path = EnvironmentValue(variable);
    if (path.empty()) return false;
    std::string bytes = ToUtf8(line + L"\n");
    UniqueHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return true;
    DWORD written = 0;
    WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return true;
}

}  // namespace kit
