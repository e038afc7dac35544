#include "framework/ModalLoop.h"

namespace kit {

ModalLoop::ModalLoop(HWND owner) : owner_(owner), ownerWasEnabled_(owner && IsWindowEnabled(owner))
{
    if (ownerWasEnabled_) EnableWindow(owner_, FALSE);
}

ModalLoop::~ModalLoop()
{
    Finish(nullptr);
    if (quit_) PostQuitMessage(quitCode_);
}

void ModalLoop::Run(const std::function<bool()>& running, const std::function<void(MSG&)>& process)
{
    MSG msg;
    while (running()) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            quit_ = got == 0;
            quitCode_ = static_cast<int>(msg.wParam);
            return;
        }
        process(msg);
    }
}

void ModalLoop::Finish(HWND window)
{
    if (finished_) return;
    finished_ = true;
    if (ownerWasEnabled_) EnableWindow(owner_, TRUE);
    if (owner_ && window && GetActiveWindow() == window) SetActiveWindow(owner_);
}

}  // namespace kit
