#pragma once
// Which of the files the settings sheet may write it did write: their times before and after.
#include <windows.h>

#include <string>
#include <vector>

namespace launcher {

class SettingsWrites {
public:
    // The files' write times now.
    SettingsWrites();
    // The names (Bin\config.ini, data\…) of the files written since.
    std::vector<std::wstring> Changed() const;

private:
    static std::vector<ULONGLONG> Times();
    std::vector<ULONGLONG> before_;
};

}  // namespace launcher
