#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <new>
#include <stdexcept>
#include <string>

#include "framework/Dialog.h"
#include "tests/framework/DialogExceptionTestIds.h"
#include "tests/support/MessageBoxRecorder.h"

namespace {

constexpr WORD kThrowText = 101;
constexpr WORD kThrowOther = 102;
constexpr WORD kThrowAllocation = 103;

class ThrowingDialog : public kit::Dialog {
public:
    explicit ThrowingDialog(bool failInit) : kit::Dialog(IDD_KIT_TEST), failInit_(failInit) {}
    int commands = 0;

protected:
    BOOL OnInitDialog() override
    {
        if (failInit_) throw std::runtime_error("playlist unreadable");
        return TRUE;
    }
    bool OnCommand(WORD id, WORD, HWND) override
    {
        ++commands;
        if (id == kThrowText) throw std::runtime_error("disk full");
        if (id == kThrowOther) throw 42;
        if (id == kThrowAllocation) throw std::bad_alloc();
        return false;
    }

private:
    bool failInit_;
};

void Command(HWND window, WORD id)
{
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

}  // namespace

// An exception cannot leave a window procedure; it stops there, and the user is told
// that what the message started was left unfinished instead of finding it silently skipped.
TEST(DialogExceptions, AreReportedToTheUserAndTheDialogGoesOn)
{
    testing_support::MessageBoxRecorder boxes;
    ThrowingDialog dialog(false);
    ASSERT_TRUE(dialog.Create(nullptr));
    Command(dialog.Handle(), kThrowText);
    Command(dialog.Handle(), kThrowOther);
    Command(dialog.Handle(), kThrowAllocation);
    ASSERT_EQ(boxes.calls.size(), 3u);
    EXPECT_NE(boxes.calls[0].text.find(L"disk full"), std::wstring::npos) << "the exception's own text";
    EXPECT_EQ(boxes.calls[0].owner, dialog.Handle());
    EXPECT_EQ(boxes.calls[0].type & MB_TYPEMASK, static_cast<UINT>(MB_OK));
    EXPECT_EQ(boxes.calls[0].caption, L"信息提示");
    EXPECT_FALSE(boxes.calls[1].text.empty());
    EXPECT_NE(boxes.calls[1].text, boxes.calls[0].text);

    Command(dialog.Handle(), 7);
    EXPECT_EQ(dialog.commands, 4) << "the dialog still handles its messages";
    EXPECT_EQ(boxes.calls.size(), 3u);
}

TEST(DialogExceptions, DuringInitialisationAreReported)
{
    testing_support::MessageBoxRecorder boxes;
    ThrowingDialog dialog(true);
    dialog.Create(nullptr);
    ASSERT_EQ(boxes.calls.size(), 1u);
    EXPECT_NE(boxes.calls[0].text.find(L"playlist unreadable"), std::wstring::npos);
}

// A test's own hook must not outlive it: the program's "no box expected" hook, or an
// enclosing recorder, gets the boxes again.
TEST(MessageBoxRecorder, PutsBackTheHookItReplaced)
{
    {
        testing_support::MessageBoxRecorder outer;
        {
            testing_support::MessageBoxRecorder inner(IDCANCEL);
            EXPECT_EQ(kit::ShowMessageBox(nullptr, L"inner", L"t", MB_OKCANCEL), IDCANCEL);
            EXPECT_EQ(inner.calls.size(), 1u);
        }
        EXPECT_EQ(kit::ShowMessageBox(nullptr, L"outer", L"t", MB_OKCANCEL), IDOK);
        ASSERT_EQ(outer.calls.size(), 1u);
        EXPECT_EQ(outer.calls[0].text, L"outer");
    }
    EXPECT_NONFATAL_FAILURE(kit::ShowMessageBox(nullptr, L"stray", L"t", MB_OK), "unexpected message box: stray");
}
