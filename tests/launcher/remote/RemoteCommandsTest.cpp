// The remote control's one command set as each transport writes it, the allow-list and the
// settings: what a control system, a desk or a stray packet can make of them.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "launcher/remote/AllowList.h"
#include "launcher/remote/RefusalNotes.h"
#include "launcher/remote/RemoteCommands.h"
#include "launcher/remote/RemoteSettings.h"
#include "tests/support/TestFiles.h"

using launcher::Command;
using remote::RemoteCommand;

namespace {

// What a parse gave, in one comparable word: "status", "next", "play 3", or "error".
std::string Outcome(bool ok, const RemoteCommand& command)
{
    if (!ok) return "error";
    if (command.status) return "status";
    std::wstring name = remote::CommandName(command.request);
    return std::string(name.begin(), name.end());
}

TEST(RemoteCommandsTest, TextLinesAndJsonBodiesGiveTheSameCommandsAndRefuseTheRest)
{
    const struct {
        const char* line;
        const char* json;
        const char* expected;
    } kCases[] = {
        {"NEXT", R"({"command": "next"})", "next"},
        {"  previous\t", R"({"command": "PREVIOUS"})", "previous"},
        {"Start", R"({"command": "start"})", "start"},
        {"STOP", R"({"command": "stop", "extra": [1, 2]})", "stop"},
        {"PLAY 3", R"({"command": "play", "entry": 3})", "play 3"},
        {"STANDBY ON", R"({"command": "standby", "on": true})", "standby on"},
        {"standby off", R"({"command": "standby", "on": false})", "standby off"},
        {"PROJECTORS OFF", R"({"command": "projectors", "on": false})", "projectors off"},
        {"STATUS?", R"({"command": "status"})", "status"},
        // Entries count from 1; a number that is none, or no number, is refused.
        {"PLAY 0", R"({"command": "play", "entry": 0})", "error"},
        {"PLAY -1", R"({"command": "play", "entry": -1})", "error"},
        {"PLAY 99999999999", R"({"command": "play", "entry": 99999999999})", "error"},
        {"PLAY three", R"({"command": "play", "entry": "3"})", "error"},
        {"PLAY", R"({"command": "play", "entry": 3.5})", "error"},
        {"STANDBY", R"({"command": "standby", "on": "yes"})", "error"},
        {"NEXT PLEASE", R"({"command": "reboot"})", "error"},
        {"", R"([{"command": "next"}])", "error"},
        {"NE\x01XT", R"({"command": "next")", "error"},
        {"NEXT\xC3\xA9", R"({"command": null})", "error"},
    };
    for (const auto& c : kCases) {
        RemoteCommand command;
        std::string error;
        bool ok = remote::ParseTextCommand(c.line, command, error);
        EXPECT_EQ(Outcome(ok, command), c.expected) << "line \"" << c.line << "\"";
        EXPECT_EQ(ok, error.empty()) << "a refusal says why: \"" << c.line << "\"";
        error.clear();
        ok = remote::ParseJsonCommand(c.json, command, error);
        EXPECT_EQ(Outcome(ok, command), c.expected) << "body " << c.json;
        EXPECT_EQ(ok, error.empty()) << "a refusal says why: " << c.json;
    }
    RemoteCommand command;
    std::string error;
    EXPECT_FALSE(remote::ParseTextCommand("NEXT" + std::string(remote::kMostLineBytes, ' '), command, error));
    EXPECT_FALSE(remote::ParseJsonCommand(R"({"command": "next", "pad": ")" +
                                              std::string(remote::kMostBodyBytes, 'x') + "\"}",
                                          command, error));
    // Deep nesting is a body like any other: refused for what it says, not a crash.
    EXPECT_FALSE(remote::ParseJsonCommand(std::string(20000, '[') + std::string(20000, ']'), command, error));
}

TEST(RemoteCommandsTest, OscAddressesTakeTheirNumbersAsTheOtherTransportsDo)
{
    const struct {
        const char* name;
        bool hasNumber;
        int number;
        const char* expected;
    } kCases[] = {
        {"next", false, 0, "next"},     {"status", false, 0, "status"},  {"play", true, 2, "play 2"},
        {"play", false, 0, "error"},    {"play", true, 0, "error"},      {"standby", true, 1, "standby on"},
        {"standby", true, 0, "standby off"}, {"standby", true, 2, "error"}, {"projectors", true, 1, "projectors on"},
        {"projectors", false, 0, "error"},   {"reboot", true, 1, "error"},
    };
    for (const auto& c : kCases) {
        RemoteCommand command;
        std::string error;
        bool ok = remote::CommandFromOsc(c.name, c.hasNumber, c.number, command, error);
        EXPECT_EQ(Outcome(ok, command), c.expected) << "/pavora/" << c.name << " " << c.number;
    }
}

TEST(RemoteCommandsTest, StatusLineNamesTheEntryFromOneAndTheNextChange)
{
    EXPECT_EQ(remote::StatusLine(R"({"state": "playing", "effect": "effects\\a.exe",
                                     "rotation": {"index": 1, "next": 2, "nextAt": "2026-12-10T10:05:00+01:00"},
                                     "schedule": {"nextAt": "2026-12-10T18:00:00+01:00"}})"),
              "STATUS state=playing entry=2 effect=\"effects\\a.exe\" next=\"2026-12-10T10:05:00+01:00\"");
    // A lone effect: no entry; the schedule's boundary is the next change.
    EXPECT_EQ(remote::StatusLine(R"({"state": "standby", "effect": null, "rotation": null,
                                     "schedule": {"nextAt": "2026-12-10T18:00:00+01:00"}})"),
              "STATUS state=standby entry=0 effect=\"\" next=\"2026-12-10T18:00:00+01:00\"");
    // A damaged file or a state of two words still gives one well-formed line.
    EXPECT_EQ(remote::StatusLine("{\"state\": \"pla"), "STATUS state=unknown entry=0 effect=\"\" next=\"\"");
    EXPECT_EQ(remote::StatusLine(R"({"state": "a b", "effect": "x\"y"})"),
              "STATUS state=a-b entry=0 effect=\"x'y\" next=\"\"");
}

TEST(AllowListTest, AddressesAndRangesAllowTheirOwnAndABadListTakesNothing)
{
    remote::AllowList list;
    std::wstring problem;
    ASSERT_TRUE(list.Parse(L"127.0.0.1, 192.168.10.0/24 10.1.0.0/16", problem));
    uint32_t address = 0;
    for (const wchar_t* allowed : {L"127.0.0.1", L"192.168.10.0", L"192.168.10.255", L"10.1.200.3"}) {
        ASSERT_TRUE(remote::AllowList::ParseAddress(allowed, address));
        EXPECT_TRUE(list.Allows(address)) << allowed;
    }
    for (const wchar_t* refused : {L"127.0.0.2", L"192.168.11.1", L"10.2.0.1", L"0.0.0.0"}) {
        ASSERT_TRUE(remote::AllowList::ParseAddress(refused, address));
        EXPECT_FALSE(list.Allows(address)) << refused;
    }
    for (const wchar_t* bad : {L"300.1.1.1", L"1.2.3", L"10.0.0.0/33", L"10.0.0.0/", L"host.local", L"1.2.3.4.5",
                               L"1.2.3.04x"}) {
        EXPECT_FALSE(list.Parse(std::wstring(L"127.0.0.1, ") + bad, problem)) << bad;
        EXPECT_NE(problem.find(bad), std::wstring::npos) << "the note names the entry: " << bad;
    }
    ASSERT_TRUE(remote::AllowList::ParseAddress(L"192.168.10.9", address));
    EXPECT_TRUE(list.Allows(address)) << "a refused list left the one before it";
    ASSERT_TRUE(list.Parse(L"0.0.0.0/0", problem));
    EXPECT_TRUE(list.Allows(0xC0A80101u));
    ASSERT_TRUE(list.Parse(L"", problem));
    EXPECT_FALSE(list.Allows(0x7F000001u)) << "an empty list allows nobody";
}

TEST(AllowListTest, ARefusedAddressIsLoggedOnceAMinute)
{
    remote::RefusalNotes notes;
    const ULONGLONG start = 0x100000000ull;  // past the 32-bit edge
    EXPECT_TRUE(notes.ShouldLog(1, start));
    EXPECT_FALSE(notes.ShouldLog(1, start + 59999));
    EXPECT_TRUE(notes.ShouldLog(2, start + 1));
    EXPECT_TRUE(notes.ShouldLog(1, start + 60000));
    // A flood of forged senders: the table stays bounded and known senders are still judged.
    for (uint32_t a = 100; a < 10100; ++a) notes.ShouldLog(a, start + 70000);
    EXPECT_FALSE(notes.ShouldLog(1, start + 70000));
    EXPECT_TRUE(notes.ShouldLog(1, start + 200000));
}

TEST(RemoteSettingsTest, EverythingIsOffUntilSetAndBadValuesAreNoted)
{
    std::wstring file = testing_support::FreshTempPath(L"remote.ini");
    remote::RemoteSettings none = remote::RemoteSettings::Read(file.c_str());
    EXPECT_FALSE(none.AnyOn());
    EXPECT_TRUE(none.notes.empty());
    uint32_t loopback = 0x7F000001u;
    EXPECT_TRUE(none.allow.Allows(loopback));

    ASSERT_TRUE(testing_support::WriteBytes(
        file, "[remote]\r\nhttp=8080\r\ntcp=70000\r\nosc=x\r\npassword=s\xC3\xA9same\r\nallow=192.168.1.0/24, nope\r\n"));
    remote::RemoteSettings s = remote::RemoteSettings::Read(file.c_str());
    EXPECT_EQ(s.http, 8080);
    EXPECT_EQ(s.tcp, 65535) << "held at the nearest sensible value";
    EXPECT_EQ(s.osc, 0);
    EXPECT_EQ(s.notes.size(), 3u);
    EXPECT_TRUE(s.allow.Allows(loopback)) << "a bad list falls back to this machine alone";
    EXPECT_FALSE(s.allow.Allows(0xC0A80105u));
    DeleteFileW(file.c_str());
}

}  // namespace
