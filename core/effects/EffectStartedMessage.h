#pragma once
// The message that tells the launcher's bar (found by its title, language text 6) that an
// effect was just started: the library's effect page posts it, the bar sends it itself.
// wParam points to a std::wstring with the effect's path that outlives the message.
#include <windows.h>

namespace tessaly {

constexpr UINT kEffectStartedMessage = 6568;

}  // namespace tessaly
