#pragma once
// The bodies not yet delivered, oldest first, kept in a JSON file (replaced in one step with
// every change) so that a launcher restart loses none. At most kLimit: a new one beyond it
// drops the oldest. Not thread-safe: AlertSender holds it under its lock.
#include <deque>
#include <string>

namespace alerts {

class AlertQueue {
public:
    static constexpr size_t kLimit = 100;
    static constexpr size_t kMostBytes = 4u << 20;

    // Reads what an earlier launcher left in `file`; a damaged file is set aside as
    // "<file>.bad" (".bad-2" … beside earlier ones) and the queue starts empty. One that
    // cannot be set aside is left alone, and the queue is then kept in memory only.
    explicit AlertQueue(std::wstring file);

    // True when the oldest had to go to make room.
    bool Push(const std::string& body);
    bool Empty() const { return bodies_.empty(); }
    size_t Size() const { return bodies_.size(); }
    const std::string& Front() const { return bodies_.front(); }
    void PopFront();

    // What went wrong reading the file, for the log; empty when nothing did.
    const std::wstring& LoadProblem() const { return loadProblem_; }

private:
    void Save();

    std::wstring file_;
    std::deque<std::string> bodies_;
    std::wstring loadProblem_;
    bool unsaved_ = false;  // the damaged file could not be set aside: not to be overwritten
};

}  // namespace alerts
