#include "tests/fuzz/Readers.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <atomic>
#include <memory>
#include <sstream>

#include <nlohmann/json.hpp>

#include "core/effects/Playlist.h"
#include "core/effects/PlaylistEditing.h"
#include "core/effects/PlaylistFile.h"
#include "core/frame/CameraList.h"
#include "core/frame/TrackerFiles.h"
#include "core/projector/Pjlink.h"
#include "core/projector/ProjectorSwitch.h"
#include "core/schedule/Schedule.h"
#include "launcher/playback/ResumeState.h"
#include "launcher/remote/RemoteCommands.h"
#include "launcher/remote/Transport.h"
#include "launcher/health/HeartbeatListener.h"
#include "launcher/remote/osc/OscPackets.h"
#include "launcher/remote/text/TextLines.h"
#include "core/settings/VideoSourceClick.h"
#include "core/text/ConfigFile.h"
#include "core/text/LanguageTable.h"
#include "core/text/ofxXmlSettings.h"
#include "framework/FileBytes.h"
#include "framework/Utf8.h"
#include "tests/fuzz/InfReader.h"
#include "tests/support/HttpPeer.h"
#include "tests/support/Loopback.h"
#include "tests/support/TestFiles.h"

namespace fuzz {
namespace {

std::string Unchanged(const wchar_t* file, const std::string& bytes)
{
    return testing_support::ReadBytes(file) == bytes ? std::string() : "wrote to its input file";
}

std::string LanguageFile(const std::string& bytes)
{
    for (int language : {1, 2, 3, 1000000000}) {
        tessaly::LanguageTable table;
        table.Load(L"Bin\\language.txt", language);
        for (const wchar_t* id : {L"1", L"6", L"26", L"0"}) table.Lookup(id);
    }
    return Unchanged(L"Bin\\language.txt", bytes);
}

std::string ConfigFile(const std::string& bytes)
{
    using namespace tessaly::config;
    // The private-profile functions may still hold the previous input.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, kPath);
    for (const wchar_t* section : {L"config", kQuickKeySection, L"version", L""}) SectionKeys(section);
    for (const IntKey* key : {&kAuto, &kStartWin7Touch, &kDeviceType, &kFilterWay, &kSendSocket, &kDotCursor,
                              &kCheck360, &kManualCalibrate, &kMaskCommonCamera, &kDebug, &kLanguage, &kRightClick,
                              &kSamePointTime})
        ReadInt(*key);
    for (const StringKey* key : {&kPassword, &kCompany, &kContact, &kHelp}) ReadString(*key);
    Language();
    return Unchanged(kPath, bytes);
}

// Effect programs that the playlist seeds name, so that their entries survive the load.
void MakeEffectPrograms()
{
    static bool made = false;
    if (made) return;
    made = true;
    for (const wchar_t* folder : {L"effects", L"effects\\Aurora", L"effects\\极光"})
        CreateDirectoryW(folder, nullptr);
    for (const wchar_t* program : {L"effects\\Aurora\\Aurora.cmd", L"effects\\Aurora\\effect.exe",
                                   L"effects\\极光\\极光效果.cmd"})
        testing_support::WriteBytes(program, "@echo off\r\n");
}

std::string Describe(const EffectList& list)
{
    std::ostringstream text;
    for (const EffectEntry& entry : list) {
        for (const wchar_t* ch = entry.path; *ch; ++ch) {
            if (*ch < 0x80) text << static_cast<char>(*ch);
            else text << "\\u" << std::hex << static_cast<unsigned>(*ch) << std::dec;
        }
        text << '|' << entry.time << ';';
    }
    return text.str();
}

// The time as the page keeps it: to the tenth it shows, a time that is no finite number as itself.
bool SameTime(float first, float second)
{
    if (std::isnan(first)) return std::isnan(second);
    if (std::isinf(first)) return first == second;
    return std::isfinite(second) && std::fabs(static_cast<double>(second) - first) <= 0.05 + std::fabs(first) * 1e-6;
}

// The effect page's own road: the rows that it fills from the library's playlist are saved
// when it goes, and the next load must read the same paths and times.
std::string Playlist(const std::string& bytes)
{
    MakeEffectPrograms();
    // The save keeps a copy of each unreadable list, a thousand at most; every input starts
    // without the copies of the inputs before it.
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(L"data\\EffectPath.unreadable*.xml", &found);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found))
        DeleteFileW((std::wstring(L"data\\") + found.cFileName).c_str());
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    EffectList first, second;
    tessaly::LoadPlaylist(tessaly::kPlaylistFile, first);
    std::string unchanged = Unchanged(tessaly::kPlaylistFile, bytes);
    if (!unchanged.empty()) return unchanged;
    std::vector<tessaly::PlaylistRow> rows;
    for (const EffectEntry& entry : first) rows.push_back({entry.path, tessaly::TimeText(entry.time)});
    if (!tessaly::SavePlaylist(rows, tessaly::kPlaylistFile)) return "the playlist could not be saved";
    tessaly::LoadPlaylist(tessaly::kPlaylistFile, second);
    bool same = first.size() == second.size();
    for (size_t i = 0; same && i < first.size(); ++i)
        same = std::wcscmp(first[i].path, second[i].path) == 0 && SameTime(first[i].time, second[i].time);
    return same ? std::string() : "round trip: " + Describe(first) + " became " + Describe(second);
}

const tessaly::TrackerKey* const kTrackerKeys[] = {
    &tessaly::kOscMode, &tessaly::kTcpMode,  &tessaly::kTransmit, &tessaly::kWin7Touch, &tessaly::kMaxBlobs,
    &tessaly::kSmoothing, &tessaly::kThreshold, &tessaly::kLaserMode, &tessaly::kTrackDark,
};

std::string TrackerValues()
{
    ofxXmlSettings file;
    file.loadFile(tessaly::TrackerConfigPath());
    std::ostringstream values;
    for (const tessaly::TrackerKey* key : kTrackerKeys) values << tessaly::ReadTrackerKey(file, *key) << ' ';
    values << "output " << static_cast<int>(tessaly::ReadOutputMode(file)) << ' ';
    return values.str();
}

// The video page's own reading of the tracker file: the camera's frame size, into which a
// click in the picture is mapped.
std::string VideoFrame()
{
    VideoSourceClick click;
    click.ReadFrameSize();
    click.videoRect = {10, 20, 330, 260};
    std::string frame = std::to_string(click.frameWidth) + " x " + std::to_string(click.frameHeight);
    if (click.frameWidth <= 0 || click.frameHeight <= 0) return "frame of " + frame;
    // A click lands at the same share of the frame as of the picture, to within a pixel.
    for (POINT point : {POINT{10, 20}, POINT{329, 259}, POINT{170, 140}}) {
        if (!click.Map(point.x, point.y)) return "a click in the picture was not taken";
        double x = (point.x - 10) / 320.0 * click.frameWidth, y = (point.y - 20) / 240.0 * click.frameHeight;
        if (click.clickPoint.x < 0 || click.clickPoint.x >= click.frameWidth || click.clickPoint.y < 0 ||
            click.clickPoint.y >= click.frameHeight || std::fabs(click.clickPoint.x - x) > 1 ||
            std::fabs(click.clickPoint.y - y) > 1)
            return "a click in the picture went to " + std::to_string(click.clickPoint.x) + ", " +
                   std::to_string(click.clickPoint.y) + " of a frame of " + frame;
    }
    return std::string();
}

// Reading leaves the file alone; the system's own write-back (load, set, save) keeps
// every value that the first load read.
std::string TrackerFile(const std::string& bytes)
{
    const std::wstring path = L"data\\ConfigLight.xml";
    std::string first = TrackerValues();
    std::string video = VideoFrame();
    if (!video.empty()) return video;
    std::string unchanged = Unchanged(path.c_str(), bytes);
    if (!unchanged.empty()) return unchanged;
    ofxXmlSettings probe;
    if (!probe.loadFile(tessaly::TrackerConfigPath())) return std::string();
    bool saved =
        tessaly::WriteTrackerSettings({{tessaly::kThreshold, tessaly::ReadTrackerKey(probe, tessaly::kThreshold)}});
    std::string second = TrackerValues();
    if (first != second) return "round trip: " + first + "became " + second;
    return saved ? std::string() : "round trip: the write-back reported a failure";
}

std::string Describe(const std::vector<tessaly::CameraEntry>& cameras)
{
    std::ostringstream text;
    for (const tessaly::CameraEntry& camera : cameras)
        text << camera.index << '|' << camera.name << '|' << camera.type << '|' << camera.guid << '|' << camera.used
             << ';';
    return text.str();
}

std::string CameraFile(const std::string& bytes)
{
    const wchar_t* path = L"data\\multiplexer_settings.xml";
    std::vector<tessaly::CameraEntry> first, second;
    tessaly::LoadCameraList(first);
    std::string unchanged = Unchanged(path, bytes);
    if (!unchanged.empty()) return unchanged;
    tessaly::SaveCameraList(first);
    tessaly::LoadCameraList(second);
    if (Describe(first) != Describe(second)) return "round trip: " + Describe(first) + " became " + Describe(second);
    return std::string();
}

std::string Narrow(const std::wstring& text)
{
    return kit::ToUtf8(text);
}

// A closed entry's playlist is not written: nothing plays it.
std::string Describe(const schedule::Entry& e)
{
    std::ostringstream text;
    text << e.kind << '|' << e.days << '|' << e.year << '-' << e.month << '-' << e.day << '|' << e.wholeDay << '|'
         << e.from << '-' << e.to << '|' << e.off << '|' << (e.off ? "" : Narrow(e.playlist)) << ';';
    return text.str();
}

// The launcher's road (read within its size limit, the entry in force and the next change
// along a few days) and the settings page's (the entries written back read the same).
std::string ScheduleFile(const std::string& bytes)
{
    const wchar_t* path = L"data\\Schedule.xml";
    // Playlists that the seeds name, so that their entries are taken.
    for (const wchar_t* list : {L"data\\playlists\\Evening.xml", L"data\\playlists\\早场.xml"})
        if (!PathFileExistsW(list)) testing_support::WriteBytes(list, "<Effects />");
    std::string text;
    kit::ReadFileBytes(path, text);
    schedule::Schedule read =
        schedule::Parse(text, [](const std::wstring& playlist) { return PathFileExistsW(playlist.c_str()) != FALSE; });
    std::string unchanged = Unchanged(path, bytes);
    if (!unchanged.empty()) return unchanged;
    for (const std::wstring& problem : read.problems) {
        size_t digits = problem.find_first_not_of(L"0123456789", 5);
        if (problem.compare(0, 5, L"line ") != 0 || digits == 5 || problem.compare(digits, 2, L": ") != 0)
            return "a problem without its line: " + Narrow(problem);
    }
    const int count = static_cast<int>(read.entries.size());
    schedule::ScheduleClock clock;
    schedule::LocalTime at;  // Christmas Eve, or the date of the first entry that has one
    at.year = 2026, at.month = 12, at.day = 24;
    if (count && read.entries[0].kind == schedule::Entry::Day)
        at.year = read.entries[0].year, at.month = read.entries[0].month, at.day = read.entries[0].day;
    for (int step = 0; step < 16; ++step, at = schedule::AddMinutes(at, 181)) {
        int entry = clock.Evaluate(read, at);
        if (entry < -1 || entry >= count) return "the clock chose entry " + std::to_string(entry);
    }
    schedule::LocalTime next;
    int nextEntry = -2;
    if (clock.NextChange(read, at, next, nextEntry, 2 * 1440) &&
        (nextEntry < -1 || nextEntry >= count || schedule::MinutesSinceEpoch(next) <= schedule::MinutesSinceEpoch(at)))
        return "the next change was entry " + std::to_string(nextEntry);
    schedule::Schedule again =
        schedule::Parse(schedule::Serialize(read.entries), [](const std::wstring&) { return true; });
    std::string first, second;
    for (const schedule::Entry& entry : read.entries) first += Describe(entry);
    for (const schedule::Entry& entry : again.entries) second += Describe(entry);
    if (first != second || !again.problems.empty()) return "round trip: " + first + " became " + second;
    return std::string();
}

// The [projector] section as the launcher reads it; the addresses that read keep reading
// the same as the log writes them.
std::string ProjectorSection(const std::string& bytes)
{
    using namespace tessaly::config;
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, kPath);
    std::wstring text = ReadString(kProjectorAddress);
    ReadString(kProjectorPassword);
    GetPrivateProfileIntW(L"projector", L"warmupseconds", 60, kPath);
    std::string unchanged = Unchanged(kPath, bytes);
    if (!unchanged.empty()) return unchanged;
    std::vector<projector::Address> addresses, again;
    std::wstring error;
    if (!projector::ParseAddresses(text, addresses, error))
        return error.empty() ? "refused without saying why: " + Narrow(text) : std::string();
    std::wstring written;
    for (const projector::Address& address : addresses) {
        if (address.host.empty() || address.host.find_first_of(" \t,") != std::string::npos || address.port == 0)
            return "taken: \"" + address.host + "\" port " + std::to_string(address.port);
        written += (written.empty() ? L"" : L", ") + projector::AddressText(address);
    }
    bool same = projector::ParseAddresses(written, again, error) && again.size() == addresses.size();
    for (size_t i = 0; same && i < again.size(); ++i)
        same = again[i].host == addresses[i].host && again[i].port == addresses[i].port;
    return same ? std::string() : "round trip: " + Narrow(text) + " became " + Narrow(written);
}

// A playlist of the schedule, as the launcher loads it before it plays.
std::string SchedulePlaylist(const std::string& bytes)
{
    const wchar_t* path = L"data\\playlists\\Morning.xml";
    EffectList list;
    bool loaded = tessaly::LoadPlaylist(path, list);
    std::string unchanged = Unchanged(path, bytes);
    if (!unchanged.empty()) return unchanged;
    if (!loaded && !list.empty()) return "a file that did not load left entries";
    for (const EffectEntry& entry : list)
        if (!entry.path[0] || wcsnlen(entry.path, std::size(entry.path)) == std::size(entry.path))
            return "an entry without a path that ends";
    return std::string();
}

// The last status, as a launcher that its guardian started again reads it to go on.
std::string StatusFile(const std::string& bytes)
{
    const wchar_t* path = L"log\\status.json";
    const ULONGLONG now = 134100000000000000ULL;  // December 2025, in FILETIME units
    launcher::ResumeState state = launcher::ReadResumeState(path, now);
    std::string unchanged = Unchanged(path, bytes);
    if (!unchanged.empty()) return unchanged;
    if (!state.valid && (!state.effect.empty() || state.rotation || state.due)) return "an invalid state that says what played";
    if (state.rotation && state.index < 0) return "a rotation entry below 0";
    if (state.due && state.leftMs > 10000ULL * 365 * 24 * 3600 * 1000) return "an entry due beyond ten thousand years";
    return std::string();
}

// Lines as a TCP peer or a datagram brings them: no command from a line with control bytes or
// over the limit, and the same lines however the stream is cut.
std::string TextLine(const std::string& bytes)
{
    std::istringstream raw(bytes);
    for (std::string line; std::getline(raw, line);) {
        remote::RemoteCommand command;
        std::string error;
        bool taken = remote::ParseTextCommand(line, command, error);
        bool control =
            std::any_of(line.begin(), line.end(), [](unsigned char c) { return (c < 0x20 && c != '\t') || c >= 0x7F; });
        if (taken && (control || line.size() > remote::kMostLineBytes)) return "a command from \"" + line + "\"";
        if (taken != error.empty()) return "a refusal without a reason, or a reason without a refusal";
    }
    remote::LineSplitter whole, byByte;
    std::vector<remote::LineSplitter::Piece> pieces, bytePieces;
    whole.Feed(bytes.data(), bytes.size(), 0, pieces);
    for (char c : bytes) byByte.Feed(&c, 1, 0, bytePieces);
    auto same = [](const remote::LineSplitter::Piece& a, const remote::LineSplitter::Piece& b) {
        return a.line == b.line && a.tooLong == b.tooLong;
    };
    if (!std::equal(pieces.begin(), pieces.end(), bytePieces.begin(), bytePieces.end(), same))
        return "other lines when the stream comes a byte at a time";
    for (const auto& piece : pieces)
        if (piece.line.size() > remote::kMostLineBytes || piece.line.find_first_of("\r\n") != std::string::npos)
            return "a line over the limit or with its end in it";
    return std::string();
}

// An OSC packet as a desk or a stranger sends it: nothing thrown out, nothing from a packet
// that is not OSC, only commands of addresses the packet holds.
std::string OscPacket(const std::string& bytes)
{
    std::vector<remote::OscRequest> requests;
    bool read = false;
    try {
        read = remote::ReadOscPacket(bytes.data(), bytes.size(), requests);
    } catch (...) {
        return "an exception left the packet reader";
    }
    if (!read && !requests.empty()) return "requests from a refused packet";
    if (read && (bytes.empty() || bytes.size() % 4 != 0)) return "a packet of a size OSC does not have was read";
    if (requests.size() > remote::kMostOscMessages) return "more requests than a packet may give";
    for (const remote::OscRequest& request : requests)
        if (bytes.find("/pavora/" + request.name + '\0') == std::string::npos) return "a request of an address not sent";
    return std::string();
}

// Datagrams to the heartbeat port: never an exception, and a beat only from the word or from
// a message of its address, within the size a beat has.
std::string Heartbeat(const std::string& bytes)
{
    bool beat = false;
    try {
        beat = health::IsBeat(bytes.data(), bytes.size());
    } catch (...) {
        return "an exception left the heartbeat reader";
    }
    if (!beat) return std::string();
    if (bytes.size() > health::kMostBeatBytes) return "a beat longer than a beat may be";
    if (bytes.compare(0, 4, "beat") != 0 && bytes.find(std::string("/pavora/beat\0", 13)) != 0)
        return "a beat from a datagram that names none";
    return std::string();
}

// Bodies of POST /api/command: never an exception, and a command only from a JSON object that
// names one, with the entry it gave.
std::string JsonCommand(const std::string& bytes)
{
    remote::RemoteCommand command;
    std::string error;
    bool taken = false;
    try {
        taken = remote::ParseJsonCommand(bytes, command, error);
    } catch (...) {
        return "threw";
    }
    if (taken != error.empty()) return "a refusal without a reason, or a reason without a refusal";
    if (!taken) return std::string();
    nlohmann::json json = nlohmann::json::parse(bytes, nullptr, false);
    if (bytes.size() > remote::kMostBodyBytes || json.is_discarded() || !json.is_object() ||
        !json.contains("command") || !json["command"].is_string())
        return "a command from a body that names none";
    if (command.request.command == launcher::Command::PlayEntry &&
        (!json["entry"].is_number_integer() || json["entry"].get<long long>() != command.request.entry + 1LL))
        return "play of another entry than the body gave";
    return std::string();
}

// What the HTTP console hands on: nothing runs, everything is counted.
class RecordingSink : public remote::CommandSink {
public:
    std::string Run(const launcher::Request& request) override
    {
        if (request.from != L"http 127.0.0.1") unnamed = true;
        ++runs;
        return std::string();
    }
    std::string StatusJson() override { return "{\"state\": \"playing\", \"rotation\": {\"index\": 0}}"; }
    void Log(const std::wstring&) override {}
    std::atomic<size_t> runs{0};
    std::atomic<bool> unnamed{false};
};

size_t Occurrences(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// Raw bytes from a peer of an HTTP console on loopback (password "fuzz"): an answer or a close
// within the request's time limit, and a command only from a whole POST /api/command with
// credentials, answered 200 and named by its sender.
std::string HttpRequest(const std::string& bytes)
{
    static testing_support::Winsock winsock;
    static RecordingSink sink;
    static remote::RefusalNotes refusals;
    static remote::RemoteSettings settings = [] {
        remote::RemoteSettings s;
        s.http = 18098;
        s.password = "fuzz";
        std::wstring problem;
        s.allow.Parse(L"127.0.0.1", problem);
        return s;
    }();
    static remote::RemoteContext context{settings, sink, refusals, L".", nullptr};
    static std::wstring problem;
    static std::unique_ptr<remote::Transport> console = remote::StartHttpConsole(context, problem);
    if (!console) return "the console did not start: " + kit::ToUtf8(problem);
    size_t before = sink.runs;
    ULONGLONG started = GetTickCount64();
    testing_support::HttpAnswer answer = testing_support::Exchange(18098, bytes, "127.0.0.1", 15000);
    if (GetTickCount64() - started > 12000) return "neither answered nor closed within the request's 10 s";
    size_t ran = sink.runs - before;
    if (ran == 0) return std::string();
    std::string lower = bytes;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ran > Occurrences(bytes, "POST /")) return "more commands than requests for one";
    if (bytes.find("\r\n\r\n") == std::string::npos || Occurrences(lower, "authorization:") == 0)
        return "a command from a request without a whole head or credentials";
    if (answer.raw.find("HTTP/1.1 200 ") == std::string::npos) return "a command ran and none was answered 200";
    if (sink.unnamed) return "a command not named by its sender";
    return std::string();
}

}  // namespace

const std::vector<Reader>& Readers()
{
    static const std::vector<Reader> readers = {
        {"httprequest", L"log\\request.bin", false, HttpRequest},
        {"jsoncommand", L"log\\command.json", false, JsonCommand},
        {"language", L"Bin\\language.txt", true, LanguageFile},
        {"config", L"Bin\\config.ini", false, ConfigFile},
        {"playlist", L"data\\EffectPath.xml", false, Playlist},
        {"tracker", L"data\\ConfigLight.xml", false, TrackerFile},
        {"cameras", L"data\\multiplexer_settings.xml", false, CameraFile},
        {"inf", kInfFile, false, CheckInfFile},
        {"schedule", L"data\\Schedule.xml", false, ScheduleFile},
        {"projector", L"Bin\\config.ini", false, ProjectorSection},
        {"playlists", L"data\\playlists\\Morning.xml", false, SchedulePlaylist},
        {"status", L"log\\status.json", false, StatusFile},
        {"textline", L"log\\remote-lines.txt", false, TextLine},
        {"oscpacket", L"log\\remote-packet.bin", false, OscPacket},
        {"heartbeat", L"log\\heartbeat.bin", false, Heartbeat},
    };
    return readers;
}

const Reader* FindReader(const std::string& name)
{
    for (const Reader& reader : Readers())
        if (name == reader.name) return &reader;
    return nullptr;
}

}  // namespace fuzz
