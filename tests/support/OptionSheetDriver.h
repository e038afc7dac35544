#pragma once
// The option sheet run in-process, with steps run one by one from inside its modal loop.
#include <functional>
#include <vector>

#include "core/settings/OptionPropertySheet.h"
#include "tests/support/ScriptedSheet.h"

namespace testing_support {

class DrivenOptionSheet : public testing_support::StepSheet<option::COptionPropertySheet, DrivenOptionSheet> {
protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override
    {
        if (!RunStep(message)) return COptionPropertySheet::OnMessage(message, wParam, lParam, handled);
        handled = true;
        return 0;
    }
};

// The steps that turn the sheet to `entry` and run `act` on the page that `pageOf` gives
// (e.g. &DrivenOptionSheet::SchedulePage); `act` closes the sheet or leaves it to the
// steps added after.
template <typename PageOf>
std::vector<DrivenOptionSheet::Step> TurnTo(int entry, PageOf pageOf,
                                            std::function<void(DrivenOptionSheet&, HWND page)> act)
{
    return {
        [entry](DrivenOptionSheet& s) { s.Select(entry); },
        [pageOf, act](DrivenOptionSheet& s) {
            HWND page = (s.*pageOf)().Handle();
            ASSERT_NE(page, nullptr);
            act(s, page);
        },
    };
}

}  // namespace testing_support
