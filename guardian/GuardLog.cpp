#include "guardian/GuardLog.h"

#include <windows.h>

#include <cstdio>

#include "framework/Handles.h"
#include "framework/Utf8.h"

namespace guardian {

void GuardLog::Write(const std::wstring& text)
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char stamp[40];
    std::snprintf(stamp, sizeof(stamp), "%04u-%02u-%02u %02u:%02u:%02u.%03u ", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    std::string line = stamp + kit::ToUtf8(text);
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';
    line += "\r\n";

    CreateDirectoryW(folder_.c_str(), nullptr);
    const std::wstring path = folder_ + L"\\guard.log";
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeHigh == 0 &&
        data.nFileSizeLow + line.size() > kLimit)
        MoveFileExW(path.c_str(), (folder_ + L"\\guard.1.log").c_str(), MOVEFILE_REPLACE_EXISTING);
    kit::UniqueHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    DWORD written = 0;
    WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace guardian
