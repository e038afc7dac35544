#pragma once
#include <windows.h>

#include <functional>

namespace kit {

// The framework's one modal loop, for its dialogs and its property sheets: the owner is
// disabled while it runs, enabled and made active again at Finish, and a WM_QUIT that the
// loop took is posted again when the object goes, after the caller has destroyed its window.
class ModalLoop {
public:
    explicit ModalLoop(HWND owner);
    ~ModalLoop();
    ModalLoop(const ModalLoop&) = delete;
    ModalLoop& operator=(const ModalLoop&) = delete;

    // Hands every message to `process` while `running` says so; ends early at WM_QUIT.
    void Run(const std::function<bool()>& running, const std::function<void(MSG&)>& process);
    // The owner back, and active again when `window` was the active one. Once.
    void Finish(HWND window);

private:
    HWND owner_;
    bool ownerWasEnabled_;
    bool finished_ = false;
    bool quit_ = false;
    int quitCode_ = 0;
};

}  // namespace kit
