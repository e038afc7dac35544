#include "tools/soak/LogWatch.h"

#include "framework/Handles.h"

namespace soak {
namespace {

const size_t kStampLength = 24;  // "YYYY-MM-DD HH:MM:SS.mmm "

kit::UniqueHandle OpenShared(const std::wstring& path)
{
    return kit::UniqueHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

ULONGLONG FileId(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) return 0;
    return (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

}  // namespace

LogWatch::LogWatch(std::wstring folder, std::wstring name) : folder_(std::move(folder)), name_(std::move(name)) {}

std::wstring LogWatch::Path(int number) const
{
    return folder_ + L"\\" + name_ + (number ? L"." + std::to_wstring(number) : L"") + L".log";
}

void LogWatch::Poll()
{
    kit::UniqueHandle current = OpenShared(Path(0));
    if (!current) return;
    ULONGLONG id = FileId(current.Get());
    current.Reset();
    if (fileId_ && id != fileId_) {
        // Moved up: the rest of the file we followed is now the first older one.
        ReadFrom(Path(1), fileId_);
        fileId_ = id;
        offset_ = 0;
        partial_.clear();
    }
    fileId_ = id;
    ReadFrom(Path(0), id);
}

bool LogWatch::ReadFrom(const std::wstring& path, ULONGLONG fileId)
{
    kit::UniqueHandle file = OpenShared(path);
    if (!file || FileId(file.Get()) != fileId) return false;
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset_);
    if (!SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN)) return false;
    ULONGLONG now = GetTickCount64();
    char buffer[16384];
    DWORD read = 0;
    while (ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        offset_ += read;
        partial_.append(buffer, read);
        size_t end;
        while ((end = partial_.find('\n')) != std::string::npos) {
            std::string line = partial_.substr(0, end);
            partial_.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            bool stamped = line.size() > kStampLength && line[4] == '-' && line[10] == ' ';
            lines_.push_back({now, stamped ? line.substr(kStampLength) : line});
        }
    }
    return true;
}

}  // namespace soak
