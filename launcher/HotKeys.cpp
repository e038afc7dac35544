#include "launcher/HotKeys.h"

namespace launcher {

HotKeys::~HotKeys()
{
    // Each start adds a reference to the global atoms; give it back.
    for (ATOM atom : atoms_)
        if (atom) GlobalDeleteAtom(atom);
}

bool HotKeys::Register(HWND window)
{
    atoms_[0] = GlobalAddAtomW(L"Alt+VK_F1");
    atoms_[1] = GlobalAddAtomW(L"Alt+VK_F2");
    atoms_[2] = GlobalAddAtomW(L"Alt+ESC");
    atoms_[3] = GlobalAddAtomW(L"Alt+VK_F4");
    f1_ = IdOf(atoms_[0]);
    f2_ = IdOf(atoms_[1]);
    esc_ = IdOf(atoms_[2]);
    f4_ = IdOf(atoms_[3]);
    return RegisterHotKey(window, esc_, MOD_ALT, VK_ESCAPE) != FALSE;
}

void HotKeys::Unregister(HWND window)
{
    UnregisterHotKey(window, f1_);
    UnregisterHotKey(window, f2_);
    UnregisterHotKey(window, f4_);
    UnregisterHotKey(window, esc_);
}

HotKeys::Action HotKeys::Match(WPARAM id, LPARAM keys) const
{
    if (LOWORD(keys) != MOD_ALT) return Action::None;
    int hotKey = static_cast<int>(id);
    UINT key = HIWORD(keys);
    if (hotKey == esc_ && key == VK_ESCAPE) return Action::Exit;
    if (hotKey == f1_ && key == VK_F1) return Action::RefreshBackground;
    if (hotKey == f2_ && key == VK_F2) return Action::Settings;
    if (hotKey == f4_ && key == VK_F4) return Action::ToggleRotation;
    return Action::None;
}

}  // namespace launcher
