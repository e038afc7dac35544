#pragma once
// log\guard.log: the guardian's own lines, local time first, apart from the launcher's log
// (two processes moving one set of files up would lose lines). Kept under 1 MB; the file
// before is guard.1.log. A line that cannot be written is lost: the guardian never waits on it.
#include <string>

namespace guardian {

class GuardLog {
public:
    static constexpr unsigned long kLimit = 1024 * 1024;

    explicit GuardLog(std::wstring folder) : folder_(std::move(folder)) {}
    void Write(const std::wstring& text);

private:
    std::wstring folder_;
};

}  // namespace guardian
