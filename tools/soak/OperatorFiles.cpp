#include "tools/soak/OperatorFiles.h"

#include <windows.h>

#include <cstdio>

namespace soak {
namespace {

bool ReadBytes(const std::wstring& path, std::string& bytes)
{
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return false;
    bytes.clear();
    char buffer[8192];
    size_t read;
    while ((read = std::fread(buffer, 1, sizeof(buffer), file)) > 0) bytes.append(buffer, read);
    std::fclose(file);
    return true;
}

}  // namespace

std::map<std::wstring, std::string> OperatorFiles::Read() const
{
    std::map<std::wstring, std::string> files;
    std::vector<std::wstring> names = {L"Bin\\config.ini"};
    for (const wchar_t* pattern : {L"data\\*.xml", L"data\\playlists\\*"}) {
        std::wstring folder = std::wstring(pattern).substr(0, std::wstring(pattern).rfind(L'\\') + 1);
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW((folder_ + L"\\" + pattern).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) continue;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(folder + found.cFileName);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    for (const std::wstring& name : names) {
        std::string bytes;
        if (ReadBytes(folder_ + L"\\" + name, bytes)) files[name] = bytes;
    }
    return files;
}

std::vector<std::wstring> OperatorFiles::Changed() const
{
    std::vector<std::wstring> changed;
    std::map<std::wstring, std::string> now = Read();
    for (const auto& kept : kept_) {
        auto found = now.find(kept.first);
        if (found == now.end() || found->second != kept.second) changed.push_back(kept.first);
    }
    for (const auto& file : now)
        if (!kept_.count(file.first)) changed.push_back(file.first + L" (new)");
    return changed;
}

}  // namespace soak
