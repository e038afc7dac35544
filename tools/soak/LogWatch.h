#pragma once
// Follows a log of the launcher's folder as it grows, read with every sharing allowed so
// that the writer never fails because of us: "<folder>\<name>.log", moved up at its limit
// to "<name>.1.log"; the rest of a moved file is read before the new one.
#include <windows.h>

#include <string>
#include <vector>

namespace soak {

struct LogLine {
    ULONGLONG seen;    // GetTickCount64 when read
    std::string text;  // the event, without the time stamp
};

class LogWatch {
public:
    LogWatch(std::wstring folder, std::wstring name);
    // Reads what was added since the last call; lines ending without a line break wait.
    void Poll();
    const std::vector<LogLine>& Lines() const { return lines_; }

private:
    bool ReadFrom(const std::wstring& path, ULONGLONG fileId);
    std::wstring Path(int number) const;

    std::wstring folder_, name_;
    ULONGLONG fileId_ = 0;  // the volume's file index of the file being followed
    ULONGLONG offset_ = 0;
    std::string partial_;
    std::vector<LogLine> lines_;
};

}  // namespace soak
