#pragma once
// The launcher's entry among the current user's programs started at log-on.
#include <string>

namespace option {

// The entry's value: the main module's path in quotes.
std::wstring StartCommand();
// Whether the entry exists and starts this very program.
bool IsRegisteredToStart();
// Adds or removes the entry; false when the registry refused.
bool RegisterToStart(bool on);

}  // namespace option
