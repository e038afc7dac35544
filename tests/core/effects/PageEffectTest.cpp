#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "core/effects/PlaylistEditing.h"
#include "core/effects/Playlist.h"
#include "core/resources/EffectPageIds.h"
#include "core/text/ConfigFile.h"
#include "framework/DataExchange.h"
#include "framework/MessageBox.h"
#include "tests/support/OptionSheetDriver.h"
#include "tests/support/InstallFolder.h"
#include "tests/support/MessageBoxRecorder.h"

using testing_support::DrivenOptionSheet;
using testing_support::TurnTo;

namespace {

TEST(PlaylistRules, ShortNamesPasswordsAndTimeLimits)
{
    EXPECT_EQ(tessaly::ShortName(L"C:\\effect.exe"), L"C:\\effect.exe");
    EXPECT_EQ(tessaly::ShortName(L"C:\\a\\b\\Ripples\\effect.exe"), L"Ripples\\effect.exe");
    EXPECT_EQ(tessaly::ShortName(L"Aurora.cmd"), L"Aurora.cmd");
    EXPECT_EQ(tessaly::ShortName(L"\\x.exe"), L"\\x.exe");

    EXPECT_TRUE(tessaly::PasswordUnlocks(L"", L"anything"));
    EXPECT_TRUE(tessaly::PasswordUnlocks(L"", L""));
    EXPECT_TRUE(tessaly::PasswordUnlocks(L"Secret", L"sECRET"));
    EXPECT_FALSE(tessaly::PasswordUnlocks(L"Secret", L""));
    EXPECT_FALSE(tessaly::PasswordUnlocks(L"Secret", L"Secret1"));

    EXPECT_EQ(tessaly::LimitedTimeText(L"25", true), L"20");
    EXPECT_EQ(tessaly::LimitedTimeText(L"25", false), L"25");
    EXPECT_EQ(tessaly::LimitedTimeText(L"20", true), L"20");
    EXPECT_EQ(tessaly::LimitedTimeText(L"0", false), L"0.15");
    EXPECT_EQ(tessaly::LimitedTimeText(L"abc", true), L"0.15");
    EXPECT_EQ(tessaly::LimitedTimeText(L"", false), L"0.15");
    EXPECT_EQ(tessaly::LimitedTimeText(L"3", false), L"3") << "kept as typed";
    EXPECT_EQ(tessaly::LimitedTimeText(L"0.15", false), L"0.15");
    EXPECT_EQ(tessaly::TimeText(8.5f), L"8.5");
    EXPECT_EQ(tessaly::TimeText(2.0f), L"2.0");
}

TEST(PlaylistRules, SavedRowsLoadBackInTheirOrderWithTheirTimeTexts)
{
    testing_support::InstallFolder folder(L"PlaylistSave");
    std::wstring a = folder.Write(L"a\\effect.exe", "x");
    std::wstring b = folder.Write(L"b\\Show.cmd", "x");
    std::vector<tessaly::PlaylistRow> rows = {{b, L"3"}, {a, L"12.5"}};
    ASSERT_TRUE(tessaly::SavePlaylist(rows, tessaly::kPlaylistFile));
    EXPECT_FALSE(folder.Exists(L"data\\EffectPath.xml.saving"));

    EffectList loaded;
    ASSERT_TRUE(tessaly::LoadPlaylist(tessaly::kPlaylistFile, loaded));
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(std::wstring(loaded[0].path), b);
    EXPECT_EQ(loaded[0].time, 3.0f);
    EXPECT_EQ(std::wstring(loaded[1].path), a);
    EXPECT_EQ(loaded[1].time, 12.5f);

    EffectList entries = tessaly::PlaylistOf(rows);
    EXPECT_EQ(entries[1].time, 12.5f);
}

// A write that cannot finish leaves the old file whole instead of a truncated one.
TEST(PlaylistRules, AFailedWriteLeavesThePreviousFile)
{
    testing_support::InstallFolder folder(L"PlaylistSaveFails");
    std::string before = "<Effects><Effect><file>x</file><time>1</time></Effect></Effects>";
    folder.Write(L"data\\EffectPath.xml", before);
    CreateDirectoryW(L"data\\EffectPath.xml.saving", nullptr);  // the temporary file cannot be made
    EXPECT_FALSE(tessaly::SavePlaylist({{L"C:\\y.exe", L"2"}}, tessaly::kPlaylistFile));
    EXPECT_EQ(folder.Read(L"data\\EffectPath.xml"), before);
}

// Ends, and counts, every dialog that this thread opens while it lives (a file dialog
// the page should not have opened), so that a fault fails the test instead of hanging it.
class ForeignDialogGuard {
public:
    explicit ForeignDialogGuard(HWND sheet) : previous_(current_), sheet_(sheet)
    {
        current_ = this;
        hook_ = SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId());
    }
    ~ForeignDialogGuard()
    {
        UnhookWindowsHookEx(hook_);
        current_ = previous_;
    }
    ForeignDialogGuard(const ForeignDialogGuard&) = delete;
    ForeignDialogGuard& operator=(const ForeignDialogGuard&) = delete;

    int opened = 0;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_ACTIVATE && current_ && window != current_->sheet_ &&
            !(GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD)) {
            ++current_->opened;
            PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static ForeignDialogGuard* current_;
    ForeignDialogGuard* previous_;
    HWND sheet_;
    HHOOK hook_ = nullptr;
};
ForeignDialogGuard* ForeignDialogGuard::current_ = nullptr;

class EffectPage : public testing::Test {
protected:
    // Higher in the Z order of their common parent.
    static bool Above(HWND window, HWND other)
    {
        for (HWND below = GetWindow(window, GW_HWNDNEXT); below; below = GetWindow(below, GW_HWNDNEXT))
            if (below == other) return true;
        return false;
    }
    void SetUp() override
    {
        kit::SetMessageBoxHook([this](const kit::MessageBoxCall& call) {
            boxes_.push_back(call.text);
            return IDOK;
        });
    }
    void TearDown() override
    {
        tessaly::LibraryPlaylist().clear();
        testing_support::FailOnMessageBoxes();
    }
    static int Count(HWND page)
    {
        return static_cast<int>(SendDlgItemMessageW(page, IDC_EFFECT_LIST, LVM_GETITEMCOUNT, 0, 0));
    }
    static std::wstring Cell(HWND page, int row, int column)
    {
        wchar_t text[128] = L"";
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = 128;
        SendDlgItemMessageW(page, IDC_EFFECT_LIST, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        return text;
    }
    static void Select(HWND page, int row)
    {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        SendDlgItemMessageW(page, IDC_EFFECT_LIST, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    }
    static void DoubleClickTime(HWND page, int row)
    {
        HWND list = GetDlgItem(page, IDC_EFFECT_LIST);
        RECT cell{};
        cell.top = 1;
        cell.left = LVIR_LABEL;
        SendMessageW(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
        NMITEMACTIVATE click{};
        click.hdr.hwndFrom = list;
        click.hdr.idFrom = IDC_EFFECT_LIST;
        click.hdr.code = NM_DBLCLK;
        click.iItem = row;
        click.iSubItem = 1;
        click.ptAction = {(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
        SendMessageW(page, WM_NOTIFY, IDC_EFFECT_LIST, reinterpret_cast<LPARAM>(&click));
    }
    static void TypeTime(HWND page, int row, const wchar_t* text)
    {
        DoubleClickTime(page, row);
        HWND editor = GetDlgItem(page, IDC_EFFECT_TIME_EDITOR);
        EXPECT_TRUE(IsWindowVisible(editor));
        EXPECT_TRUE(Above(editor, GetDlgItem(page, IDC_EFFECT_LIST))) << "the list would paint over it";
        SetWindowTextW(editor, text);
        SetFocus(GetDlgItem(page, IDC_EFFECT_LIST));
        EXPECT_FALSE(IsWindowVisible(editor));
    }

    std::vector<std::wstring> boxes_;
};

TEST_F(EffectPage, EditsRowsAndSavesThemWhenTheSheetIsCancelled)
{
    testing_support::InstallFolder folder(L"EffectPageEdit");
    folder.WriteConfig("[config]\r\nDEVICETYPE=0\r\nauto=0\r\npassword=Secret\r\n");
    std::vector<std::wstring> files;
    for (const wchar_t* name : {L"fx\\One\\effect.exe", L"fx\\Two\\Two.cmd", L"fx\\Three\\Three.exe", L"fx\\Four\\effect.exe"})
        files.push_back(folder.Write(name, "x"));
    EffectList& playlist = tessaly::LibraryPlaylist();
    playlist = tessaly::PlaylistOf({{files[0], L"2"}, {files[1], L"3.75"}, {files[2], L"4"}, {files[3], L"5"}});
    const EffectList* address = &playlist;

    DrivenOptionSheet sheet;
    sheet.steps = TurnTo(2, &DrivenOptionSheet::EffectPage, [&](DrivenOptionSheet& s, HWND page) {
        ASSERT_EQ(Count(page), 4);
        EXPECT_EQ(Cell(page, 0, 0), L"One\\effect.exe");
        EXPECT_EQ(Cell(page, 1, 1), L"3.8") << "\"%.1f\" of 3.75";
        EXPECT_EQ(kit::ReadText(page, IDC_EFFECT_TIME), L"8.5");
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, IDC_EFFECT_TIME_EDITOR)));

        TypeTime(page, 0, L"25");
        EXPECT_EQ(Cell(page, 0, 1), L"20");
        TypeTime(page, 2, L"25");
        EXPECT_EQ(Cell(page, 2, 1), L"25");
        TypeTime(page, 1, L"x");
        EXPECT_EQ(Cell(page, 1, 1), L"0.15");

        kit::WriteText(page, IDC_EFFECT_TIME, L"1.4");
        SendDlgItemMessageW(page, IDC_EFFECT_ADD, BM_CLICK, 0, 0);
        kit::WriteText(page, IDC_EFFECT_TIME, L"2");
        kit::WriteText(page, IDC_EFFECT_PASSWORD, L"wrong");
        SendDlgItemMessageW(page, IDC_EFFECT_ADD, BM_CLICK, 0, 0);
        // A time that is no number stops the exchange: the right password typed beside it is not taken.
        kit::WriteText(page, IDC_EFFECT_TIME, L"abc");
        kit::WriteText(page, IDC_EFFECT_PASSWORD, L"Secret");
        {
            ForeignDialogGuard guard(s.Handle());
            SendDlgItemMessageW(page, IDC_EFFECT_ADD, BM_CLICK, 0, 0);
            EXPECT_EQ(guard.opened, 0);
        }
        ASSERT_EQ(boxes_.size(), 4u) << "no file dialog any time";
        EXPECT_EQ(boxes_[0], L"单个效果时间不能小于1.500000分");
        EXPECT_EQ(boxes_[1], L"效果解锁密码不对");
        EXPECT_EQ(boxes_[2], L"请输入一个数字。");
        EXPECT_EQ(boxes_[3], L"效果解锁密码不对");

        SendDlgItemMessageW(page, IDC_EFFECT_AUTO, BM_CLICK, 0, 0);
        EXPECT_EQ(tessaly::config::ReadInt(tessaly::config::kAuto), 1) << "at once";

        Select(page, 0);
        Select(page, 1);
        Select(page, 3);
        SendDlgItemMessageW(page, IDC_EFFECT_DELETE_SELECTED, BM_CLICK, 0, 0);
        EXPECT_EQ(Count(page), 1);
        s.Press(PSBTN_CANCEL);
    });
    sheet.DoModal();

    EXPECT_EQ(&tessaly::LibraryPlaylist(), address);
    ASSERT_EQ(playlist.size(), 1u);
    EXPECT_EQ(std::wstring(playlist[0].path), files[2]);
    EXPECT_EQ(playlist[0].time, 25.0f);
    EffectList stored;
    tessaly::LoadPlaylist(tessaly::kPlaylistFile, stored);
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(std::wstring(stored[0].path), files[2]);
}

TEST_F(EffectPage, ChosenFilesFollowTheShellAndTimeRules)
{
    testing_support::InstallFolder folder(L"EffectPageAdd");
    folder.WriteConfig("[config]\r\nDEVICETYPE=0\r\n");
    DrivenOptionSheet sheet;
    sheet.steps = TurnTo(2, &DrivenOptionSheet::EffectPage, [&](DrivenOptionSheet& s, HWND page) {
        CPageEffect& effects = s.EffectPage();
        kit::WriteText(page, IDC_EFFECT_TIME, L"25");
        SendDlgItemMessageW(page, IDC_EFFECT_DELETE_ALL, BM_CLICK, 0, 0);
        // The time is taken from the field when the add button is pressed; a wrong password stops it after that.
        tessaly::config::WriteString(tessaly::config::kPassword, L"lock");
        SendDlgItemMessageW(page, IDC_EFFECT_ADD, BM_CLICK, 0, 0);
        boxes_.clear();
        effects.AddChosenFiles({L"C:\\fx\\A.cmd", L"C:\\fx\\Nimbrel.exe", L"C:\\fx\\B.exe", L"C:\\fx\\N\\effect.exe",
                                L"C:\\" + std::wstring(260, L'x') + L".exe", L"C:\\fx\\nimbrel.exe"});
        ASSERT_EQ(Count(page), 3);
        EXPECT_EQ(Cell(page, 0, 0), L"fx\\A.cmd");
        EXPECT_EQ(Cell(page, 0, 1), L"25.0");
        EXPECT_EQ(Cell(page, 1, 0), L"fx\\B.exe");
        EXPECT_EQ(Cell(page, 2, 0), L"fx\\nimbrel.exe") << "the shell's name counts in its own case only";
        ASSERT_EQ(boxes_.size(), 3u);
        EXPECT_EQ(boxes_[0], L"请选择扩展名为cmd的文件\n或*.exe文件\n不要选择Nimbrel.exe");
        EXPECT_EQ(boxes_[1], L"单个效果时间不能大于20分");
        s.Press(PSBTN_OK);
    });
    sheet.DoModal();
    EXPECT_EQ(tessaly::LibraryPlaylist().size(), 3u);
}

}  // namespace

// A program on a drive that is not plugged in is marked in its row, and the page's save
// keeps its entry in the file as it was, without the mark.
TEST_F(EffectPage, AnEntryWhoseProgramIsMissingIsMarkedAndSavedUnchanged)
{
    testing_support::InstallFolder folder(L"EffectPageMissing");
    folder.WriteConfig("[config]\r\nDEVICETYPE=0\r\nauto=0\r\n");
    std::wstring present = folder.Write(L"fx\\Here\\effect.exe", "x");
    std::wstring missing = folder.Path() + L"\\fx\\Gone\\Gone.exe";
    tessaly::LibraryPlaylist() = tessaly::PlaylistOf({{missing, L"3"}, {present, L"4"}});

    DrivenOptionSheet sheet;
    sheet.steps = TurnTo(2, &DrivenOptionSheet::EffectPage, [&](DrivenOptionSheet& s, HWND page) {
        ASSERT_EQ(Count(page), 2);
        std::wstring marked = Cell(page, 0, 0);
        EXPECT_EQ(marked.rfind(L"Gone\\Gone.exe", 0), 0u) << "the name first";
        EXPECT_GT(marked.size(), std::wstring(L"Gone\\Gone.exe").size()) << "and a mark after it";
        EXPECT_EQ(Cell(page, 1, 0), L"Here\\effect.exe");
        s.Press(PSBTN_CANCEL);
    });
    sheet.DoModal();

    EffectList stored;
    tessaly::LoadPlaylist(tessaly::kPlaylistFile, stored);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(std::wstring(stored[0].path), missing);
    EXPECT_EQ(stored[0].time, 3.0f);
    EXPECT_EQ(std::wstring(stored[1].path), present);
}
