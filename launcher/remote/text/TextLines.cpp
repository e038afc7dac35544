#include "launcher/remote/text/TextLines.h"

namespace remote {

void LineSplitter::Feed(const char* data, size_t size, ULONGLONG nowMs, std::vector<Piece>& pieces)
{
    for (size_t i = 0; i < size; ++i) {
        char c = data[i];
        if (afterCr_) {
            afterCr_ = false;
            if (c == '\n') continue;  // CR LF ends one line, not two
        }
        if (c == '\r' || c == '\n') {
            afterCr_ = c == '\r';
            if (pending_ && !tooLong_) pieces.push_back({false, line_});
            line_.clear();
            pending_ = tooLong_ = false;
            continue;
        }
        if (!pending_) {
            pending_ = true;
            since_ = nowMs;
        }
        if (tooLong_) continue;
        if (line_.size() >= kMostLineBytes) {
            // Answered at once: a sender that never ends the line still learns why.
            tooLong_ = true;
            line_.clear();
            pieces.push_back({true, std::string()});
            continue;
        }
        line_ += c;
    }
}

std::string AnswerLine(CommandGate& gate, const std::string& line, uint32_t address)
{
    RemoteCommand command;
    std::string error;
    if (!ParseTextCommand(line, command, error)) {
        gate.Note(address, L"a line that is no command (" + std::wstring(error.begin(), error.end()) + L")");
        return "ERR " + error;
    }
    if (command.status) return StatusLine(gate.Status());
    std::string why = gate.Run(command.request, address);
    return why.empty() ? "OK" : "ERR " + why;
}

}  // namespace remote
