#include "tests/fuzz/Readers.h"

#include <windows.h>

#include <sstream>

#include "core/effects/Playlist.h"
#include "core/frame/CameraList.h"
#include "core/frame/TrackerFiles.h"
#include "core/text/ConfigFile.h"
#include "core/text/LanguageTable.h"
#include "core/text/ofxXmlSettings.h"
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

std::string Playlist(const std::string& bytes)
{
    EffectList list;
    tessaly::LoadPlaylist(tessaly::kPlaylistFile, list);
    return Unchanged(tessaly::kPlaylistFile, bytes);
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
    return values.str();
}

// Reading leaves the file alone; the system's own write-back (load, set, save) keeps
// every value that the first load read.
std::string TrackerFile(const std::string& bytes)
{
    const std::wstring path = L"data\\ConfigLight.xml";
    std::string first = TrackerValues();
    std::string unchanged = Unchanged(path.c_str(), bytes);
    if (!unchanged.empty()) return unchanged;
    ofxXmlSettings probe;
    if (!probe.loadFile(tessaly::TrackerConfigPath())) return std::string();
    tessaly::WriteTrackerSettings({{tessaly::kThreshold, tessaly::ReadTrackerKey(probe, tessaly::kThreshold)}});
    std::string second = TrackerValues();
    return first == second ? std::string() : "round trip: " + first + "became " + second;
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

}  // namespace

const std::vector<Reader>& Readers()
{
    static const std::vector<Reader> readers = {
        {"language", L"Bin\\language.txt", true, LanguageFile},
        {"config", L"Bin\\config.ini", false, ConfigFile},
        {"playlist", L"data\\EffectPath.xml", false, Playlist},
        {"tracker", L"data\\ConfigLight.xml", false, TrackerFile},
        {"cameras", L"data\\multiplexer_settings.xml", false, CameraFile},
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
