#pragma once
// What the guardian's command line says when it started the launcher again.
#include <string>

namespace launcher {

struct RestartNote {
    std::wstring why;   // "crash", "hang" or "end"; empty: not a restart
    std::wstring dump;  // the dump's file name in log\dumps, if one was taken
};

// From the launcher's own command line; anything else on it is not a restart.
RestartNote ReadRestartNote(const wchar_t* commandLine);

}  // namespace launcher
