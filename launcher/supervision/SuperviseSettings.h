#pragma once
// Section "supervise" of Bin\config.ini, read once when the launcher starts.
#include <windows.h>

#include <string>
#include <vector>

namespace supervision {

struct SuperviseSettings {
    bool on = true;
    DWORD hangSeconds = 10;
    DWORD graceSeconds = 30;
    DWORD retries = 3;
    DWORD retryMinutes = 5;
    DWORD quarantineMinutes = 60;
    bool restartOnExit = false;

    // Missing keys, or a missing file, keep the defaults; a value that is no number, or one
    // beyond what makes sense, is held at the nearest sensible one, with a note for the log.
    std::vector<std::wstring> notes;
    static SuperviseSettings Read(const wchar_t* file);
};

}  // namespace supervision
