#pragma once
// log\pavora.log: one UTF-8 line per event, local time first. A file is kept below
// kLimit bytes; when a line would pass it, the files move up one (pavora.log becomes
// pavora.1.log …) and the oldest of kFiles goes. When pavora.log cannot be moved (a viewer
// holds it open), nothing older moves either: it grows up to kHardLimit, the move is tried
// again with each line, and lines beyond the hard limit are lost. Nothing here ever stops
// the launcher: a line that cannot be written is lost.
#include <string>

namespace supervision {

class EventLog {
public:
    static constexpr unsigned long kLimit = 1024 * 1024;
    static constexpr int kFiles = 5;
    static constexpr unsigned long kHardLimit = 8 * kLimit;

    // `folder` is made when the first line is written.
    explicit EventLog(std::wstring folder);

    void Write(const std::wstring& text);
    const std::wstring& Folder() const { return folder_; }
    std::wstring FilePath(int number) const;

private:
    bool MoveFilesUp();

    std::wstring folder_;
};

}  // namespace supervision
