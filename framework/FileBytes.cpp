#include "framework/FileBytes.h"

#include <windows.h>

#include "framework/Handles.h"

namespace kit {

bool ReadFileBytes(const std::wstring& path, std::string& bytes, size_t limit)
{
    bytes.clear();
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!file) return false;
    char buffer[8192];
    DWORD read = 0;
    while (bytes.size() < limit && ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0)
        bytes.append(buffer, read < limit - bytes.size() ? read : limit - bytes.size());
    return true;
}

bool ReplaceFileBytes(const std::wstring& path, const std::string& bytes)
{
    std::wstring temporary = path + L".new";
    bool ok = false;
    {
        UniqueHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        DWORD written = 0;
        // On the disk before the move: after a power cut the file is the old one or the new
        // one, not the new name over empty blocks.
        ok = WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
             written == bytes.size() && FlushFileBuffers(file.Get());
    }
    if (ok) ok = MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    if (!ok) DeleteFileW(temporary.c_str());
    return ok;
}

}  // namespace kit
