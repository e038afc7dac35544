#pragma once
// The text transports' side of the command set: a byte stream cut into lines at CR, LF or
// CR LF, and the one answer line each command line gets.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "launcher/remote/CommandGate.h"

namespace remote {

class LineSplitter {
public:
    struct Piece {
        bool tooLong;      // a line passed kMostLineBytes; the rest of it is skipped
        std::string line;  // without its end
    };

    // Appends the lines that `data` completes; empty lines are left out. `nowMs` dates the
    // first byte of a line.
    void Feed(const char* data, size_t size, ULONGLONG nowMs, std::vector<Piece>& pieces);
    // Whether a line has begun and not ended, and when its first byte came.
    bool Pending() const { return pending_; }
    ULONGLONG PendingSince() const { return since_; }

private:
    std::string line_;
    bool pending_ = false;
    bool tooLong_ = false;
    bool afterCr_ = false;
    ULONGLONG since_ = 0;
};

// The answer to one line from `address` (without its line end): "OK", "ERR <reason>" or the
// status line.
std::string AnswerLine(CommandGate& gate, const std::string& line, uint32_t address);

}  // namespace remote
