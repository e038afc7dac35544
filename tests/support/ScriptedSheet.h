#pragma once
// A property sheet run in-process that runs its steps one by one from inside its own modal
// loop; a script that forgets to close the sheet is failed and the sheet cancelled, so
// that no test hangs.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "framework/PropertySheet.h"

namespace testing_support {

// `Self` is the class that derives from this one: the steps are handed that.
template <typename Base, typename Self>
class StepSheet : public Base {
public:
    using Base::Base;
    using Step = std::function<void(Self&)>;
    std::vector<Step> steps;

    bool Open() const { return this->Handle() && PropSheet_GetCurrentPageHwnd(this->Handle()) != nullptr; }
    void Select(int entry)
    {
        SendMessageW(this->Navigation(), LB_SETCURSEL, static_cast<WPARAM>(entry), 0);
        SendMessageW(this->Handle(), WM_COMMAND, MAKEWPARAM(Base::kNavigationId, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(this->Navigation()));
    }
    void Press(int button) { PropSheet_PressButton(this->Handle(), button); }

protected:
    static constexpr UINT kNextStep = WM_APP + 77;

    BOOL OnInitDialog() override
    {
        BOOL result = Base::OnInitDialog();
        PostMessageW(this->Handle(), kNextStep, 0, 0);
        return result;
    }

    // Runs the next step for kNextStep; false for any other message.
    bool RunStep(UINT message)
    {
        if (message != kNextStep) return false;
        if (next_ < steps.size()) {
            steps[next_++](static_cast<Self&>(*this));
            PostMessageW(this->Handle(), kNextStep, 0, 0);
        } else if (Open()) {
            ADD_FAILURE() << "the script ended with the sheet open";
            Press(PSBTN_CANCEL);
        }
        return true;
    }

private:
    size_t next_ = 0;
};

}  // namespace testing_support
