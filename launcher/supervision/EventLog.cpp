#include "launcher/supervision/EventLog.h"

#include <windows.h>

#include "framework/CriticalSection.h"
#include "framework/Handles.h"
#include "framework/Utf8.h"
#include "launcher/supervision/LocalTime.h"

namespace supervision {
namespace {

// The supervision and the projectors' thread write the same files: two that moved the files
// up at once would lose one of them.
kit::CriticalSection& WritesLock()
{
    static kit::CriticalSection lock;
    return lock;
}

}  // namespace

EventLog::EventLog(std::wstring folder) : folder_(std::move(folder)) {}

std::wstring EventLog::FilePath(int number) const
{
    if (number == 0) return folder_ + L"\\pavora.log";
    return folder_ + L"\\pavora." + std::to_wstring(number) + L".log";
}

bool EventLog::MoveFilesUp()
{
    // The current file first: a viewer that holds it open without delete sharing would
    // otherwise let every new line push one more old file out while the current one stays.
    const std::wstring moving = folder_ + L"\\pavora.moving.log";
    if (!MoveFileExW(FilePath(0).c_str(), moving.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
    DeleteFileW(FilePath(kFiles - 1).c_str());
    for (int number = kFiles - 2; number >= 1; --number)
        MoveFileExW(FilePath(number).c_str(), FilePath(number + 1).c_str(), MOVEFILE_REPLACE_EXISTING);
    MoveFileExW(moving.c_str(), FilePath(1).c_str(), MOVEFILE_REPLACE_EXISTING);
    return true;
}

void EventLog::Write(const std::wstring& text)
{
    std::string line = LogTimeNow() + " " + kit::ToUtf8(text);
    // One event is one line, whatever its text held.
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';
    line += "\r\n";

    kit::CriticalSection::Lock hold(WritesLock());
    if (held_.empty()) {
        if (Append(line)) return;
        heldSince_ = LogTimeNow();
    } else {
        std::string bytes;
        for (const std::string& earlier : held_) bytes += earlier;
        bytes += LogTimeNow() + " the log could not be written from " + heldSince_ + " on; " +
                 std::to_string(held_.size()) + " lines were kept" +
                 (lost_ ? ", " + std::to_string(lost_) + " older ones lost" : std::string()) + "\r\n";
        if (Append(bytes + line)) {
            held_.clear();
            lost_ = 0;
            return;
        }
    }
    if (held_.size() >= kHeldLines) {
        held_.erase(held_.begin());
        ++lost_;
    }
    held_.push_back(line);
}

bool EventLog::Append(const std::string& bytes)
{
    CreateDirectoryW(folder_.c_str(), nullptr);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExW(FilePath(0).c_str(), GetFileExInfoStandard, &data)) {
        ULONGLONG size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        // Held open: written on up to the hard limit, and moved up once it can be (an event
        // is rare enough that trying at each one costs nothing).
        if (size + bytes.size() > kLimit && !MoveFilesUp() && size + bytes.size() > kHardLimit) return false;
    }
    kit::UniqueHandle file(CreateFileW(FilePath(0).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace supervision
