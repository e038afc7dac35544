#pragma once
// log\pavora.log: one UTF-8 line per event, local time first. A file is kept below
// kLimit bytes; when a line would pass it, the files move up one (pavora.log becomes
// pavora.1.log …) and the oldest of kFiles goes. Nothing here ever stops the launcher:
// a line that cannot be written is lost.
#include <string>

namespace supervision {

class EventLog {
public:
    static constexpr unsigned long kLimit = 1024 * 1024;
    static constexpr int kFiles = 5;

    // `folder` is made when the first line is written.
    explicit EventLog(std::wstring folder);

    void Write(const std::wstring& text);
    const std::wstring& Folder() const { return folder_; }
    std::wstring FilePath(int number) const;

private:
    void MoveFilesUp();

    std::wstring folder_;
};

}  // namespace supervision
