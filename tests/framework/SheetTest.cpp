#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "framework/PropertySheet.h"
#include "framework/WindowText.h"
#include "tests/framework/FrameworkTestIds.h"
#include "tests/support/ScriptedSheet.h"

namespace {

constexpr UINT kRestoreMessage = 0x0800;
constexpr int kApplyButton = 0x3021;

struct PageLog {
    int created = 0;
    int destroyed = 0;
    int applied = 0;
    int reset = 0;
};

class LoggingPage : public kit::PropertyPage {
public:
    LoggingPage(UINT templateId, PageLog& log) : PropertyPage(templateId), log_(log) {}
    using PropertyPage::SetModified;

protected:
    BOOL OnInitDialog() override
    {
        ++log_.created;
        return TRUE;
    }
    void OnDestroy() override { ++log_.destroyed; }
    bool OnApply() override
    {
        ++log_.applied;
        return true;
    }
    void OnReset() override { ++log_.reset; }

private:
    PageLog& log_;
};

class ScriptedSheet;
using Step = std::function<void(ScriptedSheet&)>;

// Three pages that log what is done to them, and the sheet's own keys and commands.
class ScriptedSheet : public testing_support::StepSheet<kit::Sheet, ScriptedSheet> {
public:
    ScriptedSheet() : StepSheet(L"Sheet"), a_(IDD_TEST_PAGE_A, logA), b_(IDD_TEST_PAGE_B, logB), c_(IDD_TEST_PAGE_C, logC)
    {
        AddPage(a_);
        AddPage(b_);
        AddPage(c_);
    }

    PageLog logA, logB, logC;
    bool filterKeys = false;
    std::vector<WORD> commands;
    int restoreMessages = 0;

    LoggingPage& A() { return a_; }
    LoggingPage& C() { return c_; }

protected:
    bool PreTranslateMessage(MSG* msg) override
    {
        if (filterKeys && msg->message == WM_KEYDOWN &&
            (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE || msg->wParam == VK_SPACE))
            msg->wParam = 0;
        return false;
    }
    bool OnCommand(WORD id, WORD, HWND) override
    {
        if (id != IDHELP) return false;
        commands.push_back(id);
        return true;
    }
    LRESULT OnMessage(UINT message, WPARAM, LPARAM, bool& handled) override
    {
        if (message == kRestoreMessage) {
            ++restoreMessages;
            handled = true;
        } else if (RunStep(message)) {
            handled = true;
        }
        return 0;
    }

private:
    LoggingPage a_, b_, c_;
};

RECT ScreenRect(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

enum class Closing { Ok, Cancel, CloseBox };

class SheetClosing : public testing::TestWithParam<Closing> {};

TEST_P(SheetClosing, CreatesPagesOnFirstShowAndDestroysEachOnceWhileAlive)
{
    ScriptedSheet sheet;
    sheet.SetLook(kit::Sheet::Look::List, 100);
    sheet.steps = {
        [](ScriptedSheet& s) {
            EXPECT_EQ(s.logA.created, 1);
            EXPECT_EQ(s.logB.created, 0);
            EXPECT_EQ(s.logC.created, 0);
            HWND list = s.Navigation();
            ASSERT_NE(list, nullptr);
            ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 3);
            const wchar_t* expected[] = {L"Alpha", L"Beta", L"Gamma"};
            for (int i = 0; i < 3; ++i) {
                wchar_t text[32] = L"";
                SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
                EXPECT_STREQ(text, expected[i]);
            }
            EXPECT_FALSE(IsWindowVisible(PropSheet_GetTabControl(s.Handle())));
            EXPECT_EQ(ScreenRect(list).right - ScreenRect(list).left, 100);
            EXPECT_LE(ScreenRect(list).right, ScreenRect(s.A().Handle()).left) << "the list stands left of the page";
            s.Select(2);
        },
        [](ScriptedSheet& s) {
            EXPECT_EQ(s.logC.created, 1);
            EXPECT_EQ(s.logB.created, 0);
            EXPECT_EQ(s.ActiveIndex(), 2);
            EXPECT_LE(ScreenRect(s.Navigation()).right, ScreenRect(s.C().Handle()).left);
            switch (GetParam()) {
            case Closing::Ok: PropSheet_PressButton(s.Handle(), PSBTN_OK); break;
            case Closing::Cancel: PropSheet_PressButton(s.Handle(), PSBTN_CANCEL); break;
            case Closing::CloseBox: PostMessageW(s.Handle(), WM_CLOSE, 0, 0); break;
            }
        },
    };
    INT_PTR result = sheet.DoModal();

    EXPECT_EQ(result, GetParam() == Closing::Ok ? IDOK : IDCANCEL);
    EXPECT_EQ(sheet.logA.destroyed, 1);
    EXPECT_EQ(sheet.logC.destroyed, 1);
    EXPECT_EQ(sheet.logB.destroyed, 0) << "never shown, never made";
    EXPECT_EQ(sheet.logA.applied, GetParam() == Closing::Ok ? 1 : 0);
    EXPECT_EQ(sheet.logC.applied, GetParam() == Closing::Ok ? 1 : 0);
    EXPECT_EQ(sheet.logB.applied + sheet.logB.reset, 0);
    EXPECT_EQ(sheet.A().Handle(), nullptr);
    EXPECT_EQ(sheet.Handle(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Framework, SheetClosing, testing::Values(Closing::Ok, Closing::Cancel, Closing::CloseBox),
                         [](const testing::TestParamInfo<Closing>& info) {
                             switch (info.param) {
                             case Closing::Ok: return "Ok";
                             case Closing::Cancel: return "Cancel";
                             default: return "CloseBox";
                             }
                         });

// The sheet is moved once, to where the derived sheet wants it, with its final size.
TEST(Sheet, GoesWhereItsPlacementSaysWithItsFinalSize)
{
    class PlacedSheet : public ScriptedSheet {
    public:
        SIZE asked{};

    protected:
        POINT Placement(SIZE size) override
        {
            asked = size;
            return POINT{37, 41};
        }
    };
    PlacedSheet sheet;
    sheet.SetLook(kit::Sheet::Look::List, 100);
    RECT placed{};
    sheet.steps = {[&](ScriptedSheet& s) {
        placed = ScreenRect(s.Handle());
        PropSheet_PressButton(s.Handle(), PSBTN_CANCEL);
    }};
    sheet.DoModal();
    EXPECT_EQ(placed.left, 37);
    EXPECT_EQ(placed.top, 41);
    EXPECT_EQ(placed.right - placed.left, sheet.asked.cx);
    EXPECT_EQ(placed.bottom - placed.top, sheet.asked.cy);
}

// Opened on a later page, the list shows that page's entry, stands first in the tab order
// and draws its changes.
TEST(Sheet, AListOpenedOnALaterPageSelectsItsEntryAndDraws)
{
    ScriptedSheet sheet;
    sheet.SetLook(kit::Sheet::Look::List, 100);
    sheet.SetActivePage(2);
    sheet.steps = {[](ScriptedSheet& s) {
        HWND list = s.Navigation();
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(s.logC.created, 1);
        EXPECT_EQ(s.logA.created, 0);
        EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 2);
        EXPECT_TRUE(IsWindowVisible(list));
        EXPECT_EQ(GetWindow(s.Handle(), GW_CHILD), list) << "first in the tab order";
        ValidateRect(list, nullptr);
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Delta"));
        RECT changed{};
        GetUpdateRect(list, &changed, FALSE);
        EXPECT_FALSE(IsRectEmpty(&changed)) << "drawing was left off";
        PropSheet_PressButton(s.Handle(), PSBTN_CANCEL);
    }};
    sheet.DoModal();
}

// The list scrolls only when its entries do not fit.
TEST(Sheet, TheListHasAScrollBarOnlyWhenItsEntriesDoNotFit)
{
    class LongSheet : public kit::Sheet {
    public:
        LongSheet() : Sheet(L"Long")
        {
            for (int i = 0; i < 60; ++i) pages_.emplace_back(new LoggingPage(IDD_TEST_PAGE_A, log_));
            for (auto& page : pages_) AddPage(*page);
            SetLook(Look::List, 100);
        }
        LONG_PTR style = 0;
        SCROLLINFO scroll{};

    protected:
        BOOL OnInitDialog() override
        {
            BOOL result = Sheet::OnInitDialog();
            PostMessageW(Handle(), WM_APP, 0, 0);
            return result;
        }
        LRESULT OnMessage(UINT message, WPARAM, LPARAM, bool& handled) override
        {
            if (message != WM_APP) return 0;
            handled = true;
            style = GetWindowLongPtrW(Navigation(), GWL_STYLE);
            scroll.cbSize = sizeof(scroll);
            scroll.fMask = SIF_ALL;
            GetScrollInfo(Navigation(), SB_VERT, &scroll);
            SendMessageW(Navigation(), LB_SETTOPINDEX, 50, 0);
            topIndex = SendMessageW(Navigation(), LB_GETTOPINDEX, 0, 0);
            PropSheet_PressButton(Handle(), PSBTN_CANCEL);
            return 0;
        }

    public:
        LRESULT topIndex = 0;

    private:
        PageLog log_;
        std::vector<std::unique_ptr<LoggingPage>> pages_;
    };
    LongSheet longSheet;
    longSheet.DoModal();
    EXPECT_TRUE(longSheet.style & WS_VSCROLL);
    EXPECT_GE(longSheet.scroll.nMax, 59);
    EXPECT_GT(longSheet.topIndex, 0);

    ScriptedSheet shortSheet;
    shortSheet.SetLook(kit::Sheet::Look::List, 100);
    LONG_PTR style = 0;
    shortSheet.steps = {[&](ScriptedSheet& s) {
        style = GetWindowLongPtrW(s.Navigation(), GWL_STYLE);
        PropSheet_PressButton(s.Handle(), PSBTN_CANCEL);
    }};
    shortSheet.DoModal();
    EXPECT_FALSE(style & WS_VSCROLL);
}

// Other messages may come between a list selection and its notification.
TEST(Sheet, AListSelectionSurvivesTheMessagesBeforeItsNotification)
{
    ScriptedSheet sheet;
    sheet.SetLook(kit::Sheet::Look::List, 100);
    sheet.steps = {
        [](ScriptedSheet& s) {
            SendMessageW(s.Navigation(), LB_SETCURSEL, 1, 0);
            PostMessageW(s.Handle(), WM_NULL, 0, 0);
        },
        [](ScriptedSheet& s) {
            SendMessageW(s.Handle(), WM_COMMAND, MAKEWPARAM(kit::Sheet::kNavigationId, LBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(s.Navigation()));
            EXPECT_EQ(s.ActiveIndex(), 1);
            PropSheet_SetCurSel(s.Handle(), nullptr, 2);
        },
        [](ScriptedSheet& s) {
            EXPECT_EQ(SendMessageW(s.Navigation(), LB_GETCURSEL, 0, 0), 2) << "the list follows other page changes";
            PropSheet_PressButton(s.Handle(), PSBTN_CANCEL);
        },
    };
    sheet.DoModal();
}

TEST(Sheet, ApplyIsEnabledByAPageChange)
{
    ScriptedSheet sheet;
    sheet.steps = {
        [](ScriptedSheet& s) {
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(s.Handle(), kApplyButton)));
            s.A().SetModified();
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(s.Handle(), kApplyButton)));
            PropSheet_PressButton(s.Handle(), PSBTN_APPLYNOW);
        },
        [](ScriptedSheet& s) {
            EXPECT_EQ(s.logA.applied, 1);
            EXPECT_TRUE(s.Open()) << "Apply keeps the sheet open";
            PropSheet_PressButton(s.Handle(), PSBTN_CANCEL);
        },
    };
    sheet.DoModal();
}

void PressKeys(ScriptedSheet& s)
{
    HWND edit = GetDlgItem(s.A().Handle(), IDC_TEST_EDIT);
    HWND check = GetDlgItem(s.A().Handle(), IDC_TEST_CHECK);
    SetFocus(check);
    PostMessageW(check, WM_KEYDOWN, VK_SPACE, 0x00390001);
    PostMessageW(check, WM_CHAR, L' ', 0x00390001);
    PostMessageW(check, WM_KEYUP, VK_SPACE, 0xC0390001);
    SetFocus(edit);
    PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
}

TEST(Sheet, FilteredKeysNeitherCloseItNorPressAButton)
{
    ScriptedSheet sheet;
    sheet.filterKeys = true;
    sheet.steps = {
        PressKeys,
        [](ScriptedSheet& s) {
            EXPECT_TRUE(s.Open());
            EXPECT_EQ(IsDlgButtonChecked(s.A().Handle(), IDC_TEST_CHECK), static_cast<UINT>(BST_UNCHECKED));
            PropSheet_PressButton(s.Handle(), PSBTN_CANCEL);
        },
    };
    EXPECT_EQ(sheet.DoModal(), IDCANCEL);
    EXPECT_EQ(sheet.logA.applied, 0) << "Enter did not press OK";
}

// The same keys without the filter close the sheet: the test above would notice a filter that does nothing.
TEST(Sheet, UnfilteredKeysCloseIt)
{
    ScriptedSheet sheet;
    bool ranAfterKeys = false;
    sheet.steps = {PressKeys, [&](ScriptedSheet& s) {
                       ranAfterKeys = true;
                       PropSheet_PressButton(s.Handle(), PSBTN_CANCEL);
                   }};
    sheet.DoModal();
    EXPECT_FALSE(ranAfterKeys);
    EXPECT_EQ(sheet.logA.applied, 1) << "Enter pressed OK";
}

TEST(Sheet, HelpButtonAndPrivateMessagesReachTheSheetsOwnHandlers)
{
    ScriptedSheet sheet;
    sheet.AddHeaderFlags(PSH_HASHELP);
    sheet.steps = {
        [](ScriptedSheet& s) {
            HWND help = GetDlgItem(s.Handle(), IDHELP);
            ASSERT_NE(help, nullptr);
            EnableWindow(help, TRUE);
            SendMessageW(help, BM_CLICK, 0, 0);
            PostMessageW(s.Handle(), kRestoreMessage, 0, 0);
        },
        [](ScriptedSheet& s) { PropSheet_PressButton(s.Handle(), PSBTN_CANCEL); },
    };
    sheet.DoModal();
    EXPECT_EQ(sheet.commands, std::vector<WORD>{IDHELP});
    EXPECT_EQ(sheet.restoreMessages, 1);
}

}  // namespace
