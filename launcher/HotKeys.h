#pragma once
#include <windows.h>

namespace launcher {

// The launcher's hot keys. Their ids come from global atoms, so that they cannot clash
// with another program's ids; only Alt+Esc is registered with the system, the other
// three act when a WM_HOTKEY with their id arrives.
class HotKeys {
public:
    enum class Action { None, Exit, RefreshBackground, Settings, ToggleRotation };

    HotKeys() = default;
    ~HotKeys();
    HotKeys(const HotKeys&) = delete;
    HotKeys& operator=(const HotKeys&) = delete;

    // Adds the atoms "Alt+VK_F1", "Alt+VK_F2", "Alt+ESC", "Alt+VK_F4" and registers
    // Alt+Esc for `window`. False when another program holds Alt+Esc.
    bool Register(HWND window);
    // Unregisters F1, F2, F4 and Esc, in this order.
    void Unregister(HWND window);

    // The action of a WM_HOTKEY: the id must be one of the four and the keys exactly Alt
    // with that key.
    Action Match(WPARAM id, LPARAM keys) const;

    // The hot-key id of an atom name: the atom's value minus 0xC000.
    static int IdOf(ATOM atom) { return static_cast<int>(atom) - 0xC000; }

private:
    ATOM atoms_[4] = {};
    // In the order F1, F2, Esc, F4.
    int f1_ = 0, f2_ = 0, esc_ = 0, f4_ = 0;
};

}  // namespace launcher
