#pragma once
#include <windows.h>

namespace launcher {

// Window messages that other processes and the library send to the bar, which they find
// by its title (language text 6).

// From a second copy of the launcher: show the bar. Both parameters 0.
constexpr UINT kShowBarMessage = WM_USER + 23;  // 1047

// An effect has just been started. wParam points to a std::wstring holding its path,
// which must outlive the message: the launcher sends it for a string of its own, the
// library's effect page posts it with its last effect path.
constexpr UINT kEffectStartedMessage = 6568;

}  // namespace launcher
