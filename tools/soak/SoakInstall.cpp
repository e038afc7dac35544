#include "tools/soak/SoakInstall.h"

#include <winsock2.h>
#include <windows.h>

#include <cstdio>

#include "tools/soak/SoakSchedule.h"

namespace soak {
namespace {

const char kEffectMinutes[] = "0.2";
const char* const kLetters[] = {"A", "B", "C"};

bool RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
            else DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    return RemoveDirectoryW(folder.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND ||
           GetLastError() == ERROR_PATH_NOT_FOUND;
}

bool CopyTree(const std::wstring& from, const std::wstring& to)
{
    if (!CreateDirectoryW(to.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((from + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ok = CopyTree(from + L"\\" + name, to + L"\\" + name) && ok;
        else ok = CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE) && ok;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return ok;
}

bool ReadText(const std::wstring& path, std::string& text)
{
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file) return false;
    char buffer[8192];
    size_t read;
    text.clear();
    while ((read = std::fread(buffer, 1, sizeof(buffer), file)) > 0) text.append(buffer, read);
    std::fclose(file);
    return true;
}

bool WriteText(const std::wstring& path, const std::string& text)
{
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (!file) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && ok;
}

std::string Playlist(std::initializer_list<int> effects)
{
    std::string xml = "<Effects>\r\n";
    for (int effect : effects)
        xml += std::string("    <Effect>\r\n        <file>effects\\sv\\fxSv") + kLetters[effect] +
               ".exe</file>\r\n        <time>" + kEffectMinutes + "</time>\r\n    </Effect>\r\n";
    return xml + "</Effects>\r\n";
}

std::string Trimmed(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t"), last = text.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

}  // namespace

std::string WithIniValue(const std::string& text, const std::string& section, const std::string& key,
                         const std::string& value)
{
    const std::string eol = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    std::string header = "[" + section + "]";
    size_t insertAt = std::string::npos;  // after the section's last key line
    bool inSection = false;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        size_t next = end == std::string::npos ? text.size() : end + 1;
        std::string line = Trimmed(text.substr(at, next - at));
        if (!line.empty() && line[0] == '[') {
            if (inSection) break;
            inSection = line == header;
            if (inSection) insertAt = next;
        } else if (inSection && !line.empty() && line[0] != ';') {
            size_t equals = line.find('=');
            // Keys are compared as the profile functions read them, blanks around the name dropped.
            if (equals != std::string::npos && Trimmed(line.substr(0, equals)) == key) {
                std::string keyText = text.substr(at, text.find('=', at) - at);
                return text.substr(0, at) + keyText + "=" + value + eol + text.substr(next);
            }
            insertAt = next;
        }
        at = next;
    }
    if (insertAt == std::string::npos) {
        std::string out = text;
        if (!out.empty() && out.back() != '\n') out += eol;
        return out + header + eol + key + "=" + value + eol;
    }
    std::string before = text.substr(0, insertAt);
    if (!before.empty() && before.back() != '\n') before += eol;
    return before + key + "=" + value + eol + text.substr(insertAt);
}

WORD FreeUdpPort()
{
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 0;
    WORD port = 0;
    SOCKET probe = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof(address);
    if (probe != INVALID_SOCKET && bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    if (probe != INVALID_SOCKET) closesocket(probe);
    WSACleanup();
    return port;
}

bool SoakInstall::Build(const std::wstring& stage, const std::wstring& standIn, bool withSchedule, WORD heartbeatPort,
                        std::wstring& problem)
{
    if (!RemoveTree(folder)) return problem = L"could not empty " + folder, false;
    if (!CopyTree(stage, folder)) return problem = L"could not copy " + stage + L" to " + folder, false;
    CreateDirectoryW(Path(L"effects\\sv").c_str(), nullptr);
    CreateDirectoryW(Path(L"data\\playlists").c_str(), nullptr);
    CreateDirectoryW(Path(L"soak").c_str(), nullptr);
    for (const char* letter : kLetters) {
        std::wstring base = Path(L"effects\\sv\\fxSv" + std::wstring(1, static_cast<wchar_t>(letter[0])));
        if (!CopyFileW(standIn.c_str(), (base + L".exe").c_str(), FALSE))
            return problem = L"could not copy the stand-in effect " + standIn, false;
        // Covers the monitor as a real effect does, so that the sampler sees it; its picture
        // moves, or the launcher would fail it as frozen.
        WriteText(base + L".fault", "moving\r\n");
        effects.push_back(base + L".exe");
    }
    bool ok = WriteText(Path(L"data\\EffectPath.xml"), Playlist({0, 1, 2})) &&
              WriteText(Path(SoakSchedule::kFirstPlaylist), Playlist({1, 2})) &&
              WriteText(Path(SoakSchedule::kSecondPlaylist), Playlist({2, 0, 1}));
    if (ok && withSchedule) ok = WriteText(Path(L"data\\Schedule.xml"), SoakSchedule::Xml());
    std::string ini;
    if (!ok || !ReadText(Path(L"Bin\\config.ini"), ini)) return problem = L"could not write the playlists", false;
    const std::string port = std::to_string(heartbeatPort);
    const char* const settings[][3] = {
        {"config", "auto", "1"},
        {"supervise", "hangseconds", "3"},
        {"supervise", "graceseconds", "2"},
        // Faults come by the hundred: an entry is set aside for a minute, not an hour.
        {"supervise", "retryminutes", "1"},
        {"supervise", "quarantineminutes", "1"},
        {"guard", "on", "1"},
        {"guard", "hangseconds", "5"},
        // Short, so that a picture or heartbeat fault is over in seconds; the heartbeat's listener
        // is off by default, as every listener is.
        {"health", "blackseconds", "3"},
        // Above hangseconds: a hung effect's picture stands still too, and is to be told as a hang.
        {"health", "frozenseconds", "5"},
        {"health", "heartbeat", heartbeatPort ? "1" : "0"},
        {"health", "heartbeatport", port.c_str()},
        {"health", "heartbeatseconds", "3"},
    };
    for (const auto& setting : settings) ini = WithIniValue(ini, setting[0], setting[1], setting[2]);
    if (!WriteText(Path(L"Bin\\config.ini"), ini)) return problem = L"could not write Bin\\config.ini", false;
    return true;
}

}  // namespace soak
