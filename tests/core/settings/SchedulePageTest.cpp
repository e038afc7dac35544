#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "core/resources/SchedulePageIds.h"
#include "core/schedule/Schedule.h"
#include "core/text/ConfigFile.h"
#include "core/text/LanguageCaption.h"
#include "framework/DataExchange.h"
#include "framework/MessageBox.h"
#include "tests/support/OptionSheetDriver.h"
#include "tests/support/ProjectorEmulator.h"
#include "tests/support/InstallFolder.h"
#include "tests/support/MessageBoxRecorder.h"

using testing_support::DrivenOptionSheet;
using testing_support::TurnTo;

namespace {

const int kSchedulePage = 5;

// What the fields say; the days are ISO weekdays.
struct Fields {
    std::vector<int> days;
    const wchar_t* date;
    const wchar_t* from;
    const wchar_t* to;
    bool off;
    const wchar_t* playlist;
};

void Fill(HWND page, const Fields& fields)
{
    for (int day = 1; day <= 7; ++day) kit::SetChecked(page, IDC_SCHEDULE_MONDAY + day - 1, false);
    for (int day : fields.days) kit::SetChecked(page, IDC_SCHEDULE_MONDAY + day - 1, true);
    kit::WriteText(page, IDC_SCHEDULE_DATE, fields.date);
    kit::WriteText(page, IDC_SCHEDULE_FROM, fields.from);
    kit::WriteText(page, IDC_SCHEDULE_TO, fields.to);
    kit::SetChecked(page, IDC_SCHEDULE_OFF, fields.off);
    kit::WriteText(page, IDC_SCHEDULE_PLAYLIST, fields.playlist);
}

void Click(HWND page, int id)
{
    SendDlgItemMessageW(page, id, BM_CLICK, 0, 0);
}

void SelectRow(HWND page, int row)
{
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendDlgItemMessageW(page, IDC_SCHEDULE_LIST, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

int Rows(HWND page)
{
    return static_cast<int>(SendDlgItemMessageW(page, IDC_SCHEDULE_LIST, LVM_GETITEMCOUNT, 0, 0));
}

class SchedulePage : public testing::Test {
protected:
    void SetUp() override
    {
        kit::SetMessageBoxHook([this](const kit::MessageBoxCall& call) {
            boxes.push_back(call.text);
            return IDOK;
        });
    }
    void TearDown() override
    {
        testing_support::FailOnMessageBoxes();
    }
    std::vector<std::wstring> boxes;
};

// A week set up from the page: entries added, one changed, one deleted; selecting a row
// shows it in the fields; what the sheet leaves is the file and the projector keys.
TEST_F(SchedulePage, EntriesAddedChangedAndDeletedAreTheFileWhenTheSheetCloses)
{
    testing_support::InstallFolder folder(L"SchedulePageWeek");
    folder.WriteConfig("[config]\r\nDEVICETYPE=0\r\n[projector]\r\naddress=10.0.0.5\r\n");
    folder.Write(L"data\\playlists\\Morning.xml", "<Effects />");
    folder.Write(L"data\\Schedule.xml",
                 "<Schedule>\n  <Window days=\"67\" from=\"10:00\" to=\"18:00\" playlist=\"data\\playlists\\Gone.xml\" />\n"
                 "  <Window days=\"9\" from=\"10:00\" to=\"11:00\" off=\"1\" />\n</Schedule>\n");

    DrivenOptionSheet sheet;
    sheet.steps = TurnTo(kSchedulePage, &DrivenOptionSheet::SchedulePage, [&](DrivenOptionSheet& s, HWND page) {
        ASSERT_EQ(Rows(page), 1) << "the entry that does not read is not shown";
        EXPECT_FALSE(kit::ReadText(page, IDC_SCHEDULE_PROBLEMS).empty()) << "but the page says one was dropped";
        SelectRow(page, 0);
        EXPECT_TRUE(kit::IsChecked(page, IDC_SCHEDULE_MONDAY + 5));
        EXPECT_FALSE(kit::IsChecked(page, IDC_SCHEDULE_MONDAY));
        EXPECT_EQ(kit::ReadText(page, IDC_SCHEDULE_FROM), L"10:00");
        EXPECT_EQ(kit::ReadText(page, IDC_SCHEDULE_PLAYLIST), L"data\\playlists\\Gone.xml")
            << "a missing playlist is kept, to be mended";

        Fill(page, {{1, 2, 3, 4, 5}, L"", L"9:00", L"12:00", false, L"data\\playlists\\Morning.xml"});
        Click(page, IDC_SCHEDULE_ADD);
        Fill(page, {{1, 2, 3, 4, 5, 6, 7}, L"", L"22:00", L"08:30", true, L""});
        Click(page, IDC_SCHEDULE_ADD);
        Fill(page, {{}, L"2026-12-25", L"", L"", true, L""});
        Click(page, IDC_SCHEDULE_ADD);
        ASSERT_EQ(Rows(page), 4);
        // The weekend entry becomes a late evening, the night's end moves.
        SelectRow(page, 2);
        kit::WriteText(page, IDC_SCHEDULE_TO, L"07:00");
        Click(page, IDC_SCHEDULE_CHANGE);
        SelectRow(page, 0);
        Click(page, IDC_SCHEDULE_DELETE);
        EXPECT_EQ(Rows(page), 3);
        EXPECT_TRUE(boxes.empty());
        // The projectors tried from the page: answers shown while the sheet goes on.
        testing_support::ProjectorEmulator projector({});
        kit::WriteText(page, IDC_SCHEDULE_ADDRESS, L"127.0.0.1:" + std::to_wstring(projector.Port()));
        Click(page, IDC_SCHEDULE_TRY);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(page, IDC_SCHEDULE_TRY)));
        for (DWORD start = GetTickCount(); GetTickCount() - start < 5000 && !IsWindowEnabled(GetDlgItem(page, IDC_SCHEDULE_TRY));) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            Sleep(20);
        }
        EXPECT_NE(kit::ReadText(page, IDC_SCHEDULE_ANSWERS).find(L": OK, off"), std::wstring::npos)
            << kit::ReadText(page, IDC_SCHEDULE_ANSWERS);
        kit::WriteText(page, IDC_SCHEDULE_ADDRESS, L"192.168.1.20, 192.168.1.21:4353");
        kit::WriteText(page, IDC_SCHEDULE_PASSWORD, L"JBMIA");
        s.Press(PSBTN_OK);
    });
    sheet.DoModal();

    schedule::Schedule stored =
        schedule::Parse(folder.Read(L"data\\Schedule.xml"), [](const std::wstring&) { return true; });
    EXPECT_TRUE(stored.problems.empty());
    ASSERT_EQ(stored.entries.size(), 3u);
    EXPECT_EQ(stored.entries[0].days, 0x3Eu);
    EXPECT_EQ(stored.entries[0].from, 9 * 60);
    EXPECT_EQ(stored.entries[0].playlist, L"data\\playlists\\Morning.xml");
    EXPECT_TRUE(stored.entries[1].off);
    EXPECT_EQ(stored.entries[1].to, 7 * 60);
    EXPECT_EQ(stored.entries[2].kind, schedule::Entry::Day);
    EXPECT_TRUE(stored.entries[2].wholeDay);
    EXPECT_EQ(stored.entries[2].day, 25);
    EXPECT_FALSE(folder.Exists(L"data\\Schedule.xml.saving"));
    EXPECT_EQ(tessaly::config::ReadString(tessaly::config::kProjectorAddress), L"192.168.1.20, 192.168.1.21:4353");
    EXPECT_EQ(tessaly::config::ReadString(tessaly::config::kProjectorPassword), L"JBMIA");
}

// Each field that makes no sense is refused when the entry is added, with its own message,
// and nothing is added; a sheet that changed nothing leaves the file as it was.
TEST_F(SchedulePage, NonsenseIsRefusedWhenItIsEnteredAndAnUnchangedFileIsLeftAlone)
{
    testing_support::InstallFolder folder(L"SchedulePageRefusals");
    folder.WriteConfig("[config]\r\nDEVICETYPE=0\r\n");
    const std::string file = "<Schedule><Window days=\"1\" from=\"10:00\" to=\"11:00\" off=\"1\" /></Schedule>";
    folder.Write(L"data\\Schedule.xml", file);
    const struct {
        Fields fields;
        const wchar_t* message;
    } kCases[] = {
        {{{}, L"", L"09:00", L"10:00", true, L""}, L"227"},         // no day
        {{{1}, L"2026-02-30", L"09:00", L"10:00", true, L""}, L"228"},
        {{{1}, L"25.12.2026", L"09:00", L"10:00", true, L""}, L"228"},
        {{{1}, L"", L"25:00", L"10:00", true, L""}, L"226"},
        {{{1}, L"", L"09:60", L"10:00", true, L""}, L"226"},
        {{{1}, L"", L"24:00", L"10:00", true, L""}, L"226"},        // 24:00 ends a day only
        {{{1}, L"", L"9", L"10:00", true, L""}, L"226"},
        {{{1}, L"", L"09:00", L"09:00", true, L""}, L"237"},
        {{{1}, L"", L"", L"", true, L""}, L"238"},                  // a weekday entry needs times
        {{{}, L"2026-12-24", L"18:00", L"", true, L""}, L"238"},
        {{{1}, L"", L"09:00", L"10:00", false, L""}, L"229"},       // neither playlist nor closed
    };
    DrivenOptionSheet sheet;
    sheet.steps = {
        [](DrivenOptionSheet& s) { s.Select(kSchedulePage); },
        [&](DrivenOptionSheet& s) {
            HWND page = s.SchedulePage().Handle();
            for (const auto& item : kCases) {
                boxes.clear();
                Fill(page, item.fields);
                Click(page, IDC_SCHEDULE_ADD);
                ASSERT_EQ(boxes.size(), 1u) << item.message;
                EXPECT_EQ(boxes[0].find(option::LanguageText(item.message)), 0u) << item.message;
            }
            EXPECT_EQ(Rows(page), 1);
            boxes.clear();
            Click(page, IDC_SCHEDULE_CHANGE);  // nothing selected
            Click(page, IDC_SCHEDULE_DELETE);
            ASSERT_EQ(boxes.size(), 2u);
            EXPECT_EQ(boxes[1], option::LanguageText(L"230"));
            // A good entry with a time written H:MM and an end at midnight is taken.
            Fill(page, {{7}, L"", L"8:00", L"24:00", true, L""});
            Click(page, IDC_SCHEDULE_ADD);
            EXPECT_EQ(Rows(page), 2);
            SelectRow(page, 1);
            Click(page, IDC_SCHEDULE_DELETE);
            // An address that does not read keeps the sheet open on OK.
            boxes.clear();
            kit::WriteText(page, IDC_SCHEDULE_ADDRESS, L"a,,b");
            s.Press(PSBTN_OK);
        },
        [&](DrivenOptionSheet& s) {
            EXPECT_EQ(boxes.size(), 1u);
            ASSERT_TRUE(s.Open());
            s.Press(PSBTN_CANCEL);
        },
    };
    sheet.DoModal();
    // Added and deleted again, then cancelled: the file as it was.
    EXPECT_EQ(folder.Read(L"data\\Schedule.xml"), file);

    DrivenOptionSheet untouched;
    untouched.steps = {[](DrivenOptionSheet& s) { s.Select(kSchedulePage); },
                       [](DrivenOptionSheet& s) { s.Press(PSBTN_CANCEL); }};
    folder.Write(L"data\\Schedule.xml", file);
    untouched.DoModal();
    EXPECT_EQ(folder.Read(L"data\\Schedule.xml"), file);
}

// Cancel after entries, the address and the password were changed leaves the file and the
// projector keys as they were.
TEST_F(SchedulePage, CancelLeavesTheFileAndTheProjectorKeysAsTheyWere)
{
    testing_support::InstallFolder folder(L"SchedulePageCancel");
    folder.WriteConfig("[config]\r\nDEVICETYPE=0\r\n[projector]\r\naddress=10.0.0.5\r\npassword=old\r\n");
    const std::string file = "<Schedule>\n<Window days=\"1\" from=\"10:00\" to=\"11:00\" off=\"1\" />\n</Schedule>\n";
    folder.Write(L"data\\Schedule.xml", file);
    DrivenOptionSheet sheet;
    sheet.steps = TurnTo(kSchedulePage, &DrivenOptionSheet::SchedulePage, [&](DrivenOptionSheet& s, HWND page) {
        Fill(page, {{6, 7}, L"", L"10:00", L"18:00", true, L""});
        Click(page, IDC_SCHEDULE_ADD);
        ASSERT_EQ(Rows(page), 2);
        kit::WriteText(page, IDC_SCHEDULE_ADDRESS, L"10.0.0.6");
        kit::WriteText(page, IDC_SCHEDULE_PASSWORD, L"new");
        s.Press(PSBTN_CANCEL);
    });
    sheet.DoModal();
    EXPECT_EQ(folder.Read(L"data\\Schedule.xml"), file);
    EXPECT_EQ(tessaly::config::ReadString(tessaly::config::kProjectorAddress), L"10.0.0.5");
    EXPECT_EQ(tessaly::config::ReadString(tessaly::config::kProjectorPassword), L"old");
}

}  // namespace
