#include "launcher/remote/http/ConsoleFiles.h"

#include <windows.h>
#include <shlwapi.h>

#include <nlohmann/json.hpp>

#include "core/effects/PlaylistFile.h"
#include "core/schedule/Schedule.h"
#include "framework/FileBytes.h"
#include "framework/Handles.h"
#include "framework/Utf8.h"

namespace remote {

namespace {

const wchar_t kMainPlaylist[] = L"data\\EffectPath.xml";

std::wstring InFolder(const std::wstring& folder, const std::wstring& path)
{
    return PathIsRelativeW(path.c_str()) ? folder + L"\\" + path : path;
}

}  // namespace

std::wstring PlaylistInForce(const std::wstring& folder, const std::string& statusJson)
{
    nlohmann::json status = nlohmann::json::parse(statusJson, nullptr, false);
    if (status.is_discarded() || !status.is_object()) return kMainPlaylist;
    auto schedule = status.find("schedule");
    if (schedule == status.end() || !schedule->is_object()) return kMainPlaylist;
    auto line = schedule->find("entry");
    if (line == schedule->end() || !line->is_number_integer()) return kMainPlaylist;
    std::string text;
    if (!kit::ReadFileBytes(folder + L"\\data\\Schedule.xml", text)) return kMainPlaylist;
    // The entry's line names it; whether its playlist exists is the launcher's business.
    schedule::Schedule read = schedule::Parse(text, [](const std::wstring&) { return true; });
    for (const schedule::Entry& entry : read.entries)
        if (entry.line == line->get<long long>() && !entry.off && !entry.playlist.empty()) return entry.playlist;
    return kMainPlaylist;
}

std::string PlaylistJson(const std::wstring& folder, const std::string& statusJson)
{
    std::wstring file = PlaylistInForce(folder, statusJson);
    EffectList entries;
    tessaly::LoadPlaylist(InFolder(folder, file).c_str(), entries);
    nlohmann::json list = nlohmann::json::array();
    for (const EffectEntry& entry : entries) {
        std::wstring path(entry.path, wcsnlen(entry.path, std::size(entry.path)));
        list.push_back({{"path", kit::ToUtf8(path)},
                        {"minutes", entry.time},
                        {"missing", PathFileExistsW(InFolder(folder, path).c_str()) == FALSE}});
    }
    nlohmann::json answer = {{"file", kit::ToUtf8(file)}, {"entries", list}};
    return answer.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::vector<std::string> LogTail(const std::wstring& logFile, size_t lines)
{
    std::vector<std::string> tail;
    // Shared for everything, deletion included: the log moves its files up while we read.
    kit::UniqueHandle file(CreateFileW(logFile.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.Get(), &size) || lines == 0) return tail;
    LONGLONG start = size.QuadPart > static_cast<LONGLONG>(kMostLogBytes) ? size.QuadPart - kMostLogBytes : 0;
    LARGE_INTEGER at{};
    at.QuadPart = start;
    std::string bytes(static_cast<size_t>(size.QuadPart - start), '\0');
    DWORD read = 0;
    if (!SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) ||
        !ReadFile(file.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr))
        return tail;
    bytes.resize(read);
    size_t begin = 0;
    if (start > 0) {
        // The first line is cut: it begins before what was read.
        size_t newline = bytes.find('\n');
        begin = newline == std::string::npos ? bytes.size() : newline + 1;
    } else if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        begin = 3;
    }
    std::vector<std::string> all;
    while (begin < bytes.size()) {
        size_t end = bytes.find('\n', begin);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(begin, end - begin);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) all.push_back(line);
        begin = end + 1;
    }
    size_t first = all.size() > lines ? all.size() - lines : 0;
    tail.assign(all.begin() + static_cast<std::ptrdiff_t>(first), all.end());
    return tail;
}

}  // namespace remote
