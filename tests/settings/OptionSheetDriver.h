#pragma once
// The option sheet run in-process, with steps run one by one from inside its modal loop.
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "core/settings/OptionPropertySheet.h"

namespace settings_test {

class DrivenOptionSheet : public option::COptionPropertySheet {
public:
    using Step = std::function<void(DrivenOptionSheet&)>;
    std::vector<Step> steps;

    bool Open() const { return Handle() && PropSheet_GetCurrentPageHwnd(Handle()) != nullptr; }
    void Select(int entry)
    {
        SendMessageW(Navigation(), LB_SETCURSEL, static_cast<WPARAM>(entry), 0);
        SendMessageW(Handle(), WM_COMMAND, MAKEWPARAM(kNavigationId, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(Navigation()));
    }
    void Press(int button) { PropSheet_PressButton(Handle(), button); }

protected:
    static constexpr UINT kNextStep = WM_APP + 77;
    BOOL OnInitDialog() override
    {
        BOOL result = COptionPropertySheet::OnInitDialog();
        PostMessageW(Handle(), kNextStep, 0, 0);
        return result;
    }
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override
    {
        if (message != kNextStep) return COptionPropertySheet::OnMessage(message, wParam, lParam, handled);
        handled = true;
        if (next_ < steps.size()) {
            steps[next_++](*this);
            PostMessageW(Handle(), kNextStep, 0, 0);
        } else if (Open()) {
            ADD_FAILURE() << "the script ended with the sheet open";
            Press(PSBTN_CANCEL);
        }
        return 0;
    }

private:
    size_t next_ = 0;
};

}  // namespace settings_test
