#pragma once
// log\pavora.log: one UTF-8 line per event, local time first. A file is kept below
// kLimit bytes; when a line would pass it, the files move up one (pavora.log becomes
// pavora.1.log …) and the oldest of kFiles goes. When pavora.log cannot be moved (a viewer
// holds it open), nothing older moves either: it grows up to kHardLimit, the move is tried
// again with each line. A line that cannot be written (the folder unwritable, the file held
// without sharing, beyond the hard limit) is kept, up to kHeldLines, and written with a note
// before the next line that can be. Nothing here ever stops the launcher.
#include <string>
#include <vector>

namespace supervision {

class EventLog {
public:
    static constexpr unsigned long kLimit = 1024 * 1024;
    static constexpr int kFiles = 5;
    static constexpr unsigned long kHardLimit = 8 * kLimit;
    static constexpr size_t kHeldLines = 1000;

    // `folder` is made when the first line is written.
    explicit EventLog(std::wstring folder);

    void Write(const std::wstring& text);
    const std::wstring& Folder() const { return folder_; }
    std::wstring FilePath(int number) const;

private:
    bool MoveFilesUp();
    bool Append(const std::string& bytes);

    std::wstring folder_;
    std::vector<std::string> held_;  // lines not yet written, oldest first
    size_t lost_ = 0;                // held lines dropped for newer ones
    std::string heldSince_;
};

}  // namespace supervision
