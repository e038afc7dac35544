#include "launcher/alerts/AlertQueue.h"

#include <windows.h>

#include <nlohmann/json.hpp>

#include "framework/FileBytes.h"

namespace alerts {

AlertQueue::AlertQueue(std::wstring file) : file_(std::move(file))
{
    std::string bytes;
    bool read = kit::ReadFileBytes(file_, bytes, kMostBytes);
    if (!read && GetFileAttributesW(file_.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    // Never written empty ("[]" at least): an empty one is what a power cut left.
    auto stored = read && !bytes.empty() ? nlohmann::json::parse(bytes, nullptr, false) : nlohmann::json();
    if (stored.is_array()) {
        for (const auto& body : stored) {
            if (body.is_string()) bodies_.push_back(body.get<std::string>());
        }
        while (bodies_.size() > kLimit) bodies_.pop_front();
        return;
    }
    const wchar_t* what = !read                        ? L" could not be opened"
                          : bytes.empty()              ? L" is empty"
                          : bytes.size() >= kMostBytes ? L" is over 4 MB"
                                                       : L" could not be read";
    loadProblem_ = L"the alert queue " + file_ + what;
    // Set aside beside any set aside before, so that no earlier one is overwritten.
    std::wstring aside = file_ + L".bad";
    for (int n = 2; GetFileAttributesW(aside.c_str()) != INVALID_FILE_ATTRIBUTES && n <= 99; ++n)
        aside = file_ + L".bad-" + std::to_wstring(n);
    if (MoveFileExW(file_.c_str(), aside.c_str(), 0) || CopyFileW(file_.c_str(), aside.c_str(), TRUE)) {
        loadProblem_ += L"; it was kept as " + aside;
    } else {
        // Not to be overwritten by the next alert either: the queue is kept in memory only.
        loadProblem_ += L"; it could not be set aside (error " + std::to_wstring(GetLastError()) +
                        L"), so it is left as it is and alerts are not kept across a restart";
        unsaved_ = true;
    }
}

bool AlertQueue::Push(const std::string& body)
{
    bool dropped = false;
    if (bodies_.size() >= kLimit) {
        bodies_.pop_front();
        dropped = true;
    }
    bodies_.push_back(body);
    Save();
    return dropped;
}

void AlertQueue::PopFront()
{
    if (bodies_.empty()) return;
    bodies_.pop_front();
    Save();
}

void AlertQueue::Save()
{
    if (unsaved_) return;
    nlohmann::json stored = nlohmann::json::array();
    for (const auto& body : bodies_) stored.push_back(body);
    size_t slash = file_.find_last_of(L"\\/");
    if (slash != std::wstring::npos) CreateDirectoryW(file_.substr(0, slash).c_str(), nullptr);
    kit::ReplaceFileBytes(file_, stored.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

}  // namespace alerts
