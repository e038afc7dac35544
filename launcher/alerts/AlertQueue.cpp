#include "launcher/alerts/AlertQueue.h"

#include <windows.h>

#include <nlohmann/json.hpp>

#include "framework/FileBytes.h"

namespace alerts {

AlertQueue::AlertQueue(std::wstring file) : file_(std::move(file))
{
    std::string bytes;
    bool read = kit::ReadFileBytes(file_, bytes, 4u << 20);
    if (!read && GetFileAttributesW(file_.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    if (read && bytes.empty()) return;
    auto stored = read ? nlohmann::json::parse(bytes, nullptr, false) : nlohmann::json();
    if (stored.is_array()) {
        for (const auto& body : stored) {
            if (body.is_string()) bodies_.push_back(body.get<std::string>());
        }
        while (bodies_.size() > kLimit) bodies_.pop_front();
        return;
    }
    loadProblem_ = L"the alert queue " + file_ + (read ? L" could not be read" : L" is over 4 MB or locked") +
                   L"; it was kept as " + file_ + L".bad";
    MoveFileExW(file_.c_str(), (file_ + L".bad").c_str(), MOVEFILE_REPLACE_EXISTING);
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
    nlohmann::json stored = nlohmann::json::array();
    for (const auto& body : bodies_) stored.push_back(body);
    size_t slash = file_.find_last_of(L"\\/");
    if (slash != std::wstring::npos) CreateDirectoryW(file_.substr(0, slash).c_str(), nullptr);
    kit::ReplaceFileBytes(file_, stored.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

}  // namespace alerts
