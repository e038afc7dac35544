#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "framework/MessageBox.h"
#include "framework/ResourceScope.h"
#include "framework/WindowSubclass.h"
#include "tests/framework/FrameworkTestIds.h"
#include "tests/support/MessageBoxRecorder.h"

namespace {

class Form : public kit::Dialog {
public:
    explicit Form(int* destroyed = nullptr) : Dialog(IDD_TEST_FORM), destroyed_(destroyed) {}

    std::vector<UINT_PTR> timers;
    int otherTimerMessages = 0;
    HBRUSH brush = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));

protected:
    void OnDestroy() override
    {
        if (destroyed_) ++*destroyed_;
    }
    bool OnTimer(UINT_PTR id) override
    {
        timers.push_back(id);
        KillTimer(Handle(), id);
        return true;
    }
    HBRUSH OnCtlColor(HDC, HWND control, UINT message) override
    {
        return message == WM_CTLCOLORSTATIC && GetDlgCtrlID(control) == IDC_TEST_LABEL ? brush : nullptr;
    }
    INT_PTR OnMessage(UINT message, WPARAM, LPARAM, bool&) override
    {
        if (message == WM_TIMER) ++otherTimerMessages;
        return 0;
    }

private:
    int* destroyed_;
};

// Destroys its window in its own destructor, while its OnDestroy is still there.
class StoringForm : public Form {
public:
    using Form::Form;
    ~StoringForm() override { Destroy(); }
};

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// A form of type `Kind` made and let go: its OnDestroy ran `onDestroyCalls` times and its
// window is gone.
template <typename Kind>
void ExpectLetGo(int onDestroyCalls)
{
    int destroyed = 0;
    HWND window = nullptr;
    {
        Kind form(&destroyed);
        ASSERT_TRUE(form.Create(nullptr));
        window = form.Handle();
    }
    EXPECT_EQ(destroyed, onDestroyCalls);
    EXPECT_FALSE(IsWindow(window));
}

TEST(Dialog, AnObjectThatDestroysInItsDestructorGetsItsOnDestroy)
{
    ExpectLetGo<StoringForm>(1);
}

// Once the derived class is gone, none of its handlers runs.
TEST(Dialog, TheBaseDestructorDetachesBeforeItDestroysTheWindow)
{
    ExpectLetGo<Form>(0);
}

TEST(Dialog, TypedHandlersTakeTheirMessagesOnce)
{
    StoringForm form;
    ASSERT_TRUE(form.Create(nullptr));
    SetTimer(form.Handle(), 7, 1, nullptr);
    for (int i = 0; i < 50 && form.timers.empty(); ++i) {
        Sleep(5);
        Pump();
    }
    EXPECT_EQ(form.timers, std::vector<UINT_PTR>{7});
    EXPECT_EQ(form.otherTimerMessages, 0);

    HWND label = form.Item(IDC_TEST_LABEL);
    HDC dc = GetDC(label);
    LRESULT answer = SendMessageW(form.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                  reinterpret_cast<LPARAM>(label));
    ReleaseDC(label, dc);
    EXPECT_EQ(reinterpret_cast<HBRUSH>(answer), form.brush);
}

// A modal dialog without a parent stands on the default owner, which is disabled meanwhile.
class OwnerProbe : public kit::Dialog {
public:
    OwnerProbe() : Dialog(IDD_TEST_FORM) {}
    HWND owner = nullptr;
    bool ownerEnabled = true;

protected:
    BOOL OnInitDialog() override
    {
        owner = GetWindow(Handle(), GW_OWNER);
        ownerEnabled = IsWindowEnabled(owner) != FALSE;
        EndDialog(IDOK);
        return TRUE;
    }
};

TEST(Dialog, AModalDialogWithoutParentStandsOnTheDefaultOwner)
{
    StoringForm host;
    ASSERT_TRUE(host.Create(nullptr));
    kit::SetDefaultOwner(host.Handle());
    OwnerProbe probe;
    INT_PTR result = probe.DoModal();
    kit::SetDefaultOwner(nullptr);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(probe.owner, host.Handle());
    EXPECT_FALSE(probe.ownerEnabled);
    EXPECT_TRUE(IsWindowEnabled(host.Handle())) << "enabled again afterwards";
}

class DataExchange : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(form_.Create(nullptr));
        kit::SetMessageBoxHook([this](const kit::MessageBoxCall& call) {
            boxes_.push_back(call.text);
            return IDOK;
        });
    }
    void TearDown() override
    {
        testing_support::FailOnMessageBoxes();
    }
    HWND Form() const { return form_.Handle(); }

    StoringForm form_;
    std::vector<std::wstring> boxes_;
};

TEST_F(DataExchange, AFieldWithoutANumberKeepsTheValueAndSaysSo)
{
    float value = 8.5f;
    kit::WriteFloat(Form(), IDC_TEST_EDIT, value);
    EXPECT_EQ(kit::ReadText(Form(), IDC_TEST_EDIT), L"8.5");

    for (const wchar_t* bad : {L"", L"abc", L"1.5x", L"1e999"}) {
        kit::WriteText(Form(), IDC_TEST_EDIT, bad);
        EXPECT_FALSE(kit::ReadFloat(Form(), IDC_TEST_EDIT, value)) << bad;
        EXPECT_EQ(value, 8.5f) << bad;
    }
    EXPECT_EQ(boxes_.size(), 4u);
    EXPECT_EQ(GetFocus(), form_.Item(IDC_TEST_EDIT));

    kit::WriteText(Form(), IDC_TEST_EDIT, L" 1.25 ");
    EXPECT_TRUE(kit::ReadFloat(Form(), IDC_TEST_EDIT, value));
    EXPECT_EQ(value, 1.25f);

    int whole = 3;
    kit::WriteText(Form(), IDC_TEST_EDIT, L"2.5");
    EXPECT_FALSE(kit::ReadInt(Form(), IDC_TEST_EDIT, whole));
    EXPECT_EQ(whole, 3);
    kit::WriteInt(Form(), IDC_TEST_EDIT, -42);
    EXPECT_TRUE(kit::ReadInt(Form(), IDC_TEST_EDIT, whole));
    EXPECT_EQ(whole, -42);
    EXPECT_EQ(boxes_.size(), 5u);
}

TEST_F(DataExchange, RadioGroupsChecksAndCaptions)
{
    const auto group = {IDC_TEST_RADIO_0, IDC_TEST_RADIO_1, IDC_TEST_RADIO_2};
    EXPECT_EQ(kit::CheckedIndex(Form(), group), -1);
    kit::CheckIndex(Form(), group, 2);
    kit::CheckIndex(Form(), group, 1);
    EXPECT_EQ(kit::CheckedIndex(Form(), group), 1);
    EXPECT_FALSE(kit::IsChecked(Form(), IDC_TEST_RADIO_2)) << "the others are cleared";
    kit::CheckIndex(Form(), group, 7);
    EXPECT_EQ(kit::CheckedIndex(Form(), group), -1);

    kit::SetChecked(Form(), IDC_TEST_CHECK, true);
    EXPECT_TRUE(kit::IsChecked(Form(), IDC_TEST_CHECK));

    static const kit::Caption captions[] = {{IDC_TEST_CHECK, L"21"}, {IDC_TEST_LABEL, L"33"}};
    kit::ApplyCaptions(Form(), captions, [](const wchar_t* id) { return std::wstring(L"text ") + id; });
    EXPECT_EQ(kit::ReadText(Form(), IDC_TEST_CHECK), L"text 21");
    EXPECT_EQ(kit::ReadText(Form(), IDC_TEST_LABEL), L"text 33");
    EXPECT_TRUE(boxes_.empty());
}

class CountingSubclass : public kit::WindowSubclass {
public:
    std::vector<UINT> seen;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_APP + 5 || message == WM_PAINT) seen.push_back(message);
        return Default(message, wParam, lParam);
    }
};

TEST(WindowSubclass, GetsTheControlsMessagesAndGoesWithTheWindow)
{
    StoringForm form;
    ASSERT_TRUE(form.Create(nullptr));
    HWND label = form.Item(IDC_TEST_LABEL);
    CountingSubclass subclass;
    ASSERT_TRUE(subclass.Attach(label));
    SendMessageW(label, WM_APP + 5, 0, 0);
    ShowWindow(form.Handle(), SW_SHOWNA);
    InvalidateRect(label, nullptr, TRUE);
    UpdateWindow(label);
    EXPECT_EQ(subclass.seen.size(), 2u);
    EXPECT_EQ(subclass.seen.front(), static_cast<UINT>(WM_APP + 5));
    form.Destroy();
    EXPECT_EQ(subclass.Window(), nullptr) << "removed at WM_NCDESTROY";
}

DWORD WINAPI ReadResourceInstance(void* out)
{
    *static_cast<HINSTANCE*>(out) = kit::ResourceInstance();
    return 0;
}

TEST(ResourceScope, DefaultsToTheModuleThatLinksTheFramework)
{
    EXPECT_EQ(kit::ResourceInstance(), GetModuleHandleW(nullptr));  // statically linked here
    HINSTANCE onOtherThread = nullptr;
    HANDLE thread = CreateThread(nullptr, 0, ReadResourceInstance, &onOtherThread, 0, nullptr);
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    EXPECT_EQ(onOtherThread, kit::ThisModule());
}

}  // namespace
