#include "tests/fuzz/Readers.h"

#include <windows.h>
#include <shlwapi.h>

#include <cmath>
#include <cwchar>
#include <sstream>

#include "core/effects/Playlist.h"
#include "core/effects/PlaylistEditing.h"
#include "core/effects/PlaylistFile.h"
#include "core/frame/CameraList.h"
#include "core/frame/TrackerFiles.h"
#include "core/projector/Pjlink.h"
#include "core/projector/ProjectorSwitch.h"
#include "core/schedule/Schedule.h"
#include "launcher/playback/ResumeState.h"
#include "core/settings/VideoSourceClick.h"
#include "core/text/ConfigFile.h"
#include "core/text/LanguageTable.h"
#include "core/text/ofxXmlSettings.h"
#include "framework/FileBytes.h"
#include "framework/Utf8.h"
#include "tests/fuzz/InfReader.h"
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

}  // namespace

const std::vector<Reader>& Readers()
{
    static const std::vector<Reader> readers = {
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
