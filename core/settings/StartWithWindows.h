#pragma once
// The launcher among the current user's programs started at log-on: a shortcut in the
// user's Startup folder whose working folder is the installation, since the launcher and
// its library find their settings, language table and playlist in the current folder.
#include <string>

namespace option {

// "<Startup folder>\<program title>.lnk"; empty when the folder is not known.
std::wstring StartShortcutPath();
// Whether the shortcut exists and starts this very program.
bool IsRegisteredToStart();
// Adds or removes the shortcut (and an entry of the system's Run key that started the
// bare program path, as earlier versions registered it); false when either refused.
bool RegisterToStart(bool on);

}  // namespace option
