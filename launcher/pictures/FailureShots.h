#pragma once
// Pictures of the projection: one at every failure in <log>\shots\ (named by local time and
// kind, e.g. 2026-12-10_101502_crash.png; the newest kKeep kept, at most kMostBytes in all),
// and <log>\screen.png refreshed every screenPeriodMs. Taken on a thread of its own. A
// picture that cannot be taken (no screen to read) is logged at most once an hour.
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace pictures {

class FailureShots {
public:
    static constexpr size_t kKeep = 50;
    static constexpr unsigned long long kMostBytes = 20ull * 1024 * 1024;
    static constexpr int kMostWidth = 1280;

    // `log` is called from the pictures' thread.
    FailureShots(std::wstring logFolder, std::function<void(const std::wstring&)> log,
                 unsigned long long screenPeriodMs = 60 * 1000);
    ~FailureShots();
    FailureShots(const FailureShots&) = delete;
    FailureShots& operator=(const FailureShots&) = delete;

    // Asks for a picture of failure `kind` now; returns at once.
    void Keep(const std::string& kind);
    // Takes the picture on the calling thread (before the failed effect is ended, while it
    // still shows); only the writing is left to the pictures' thread.
    void KeepNow(const std::string& kind);

private:
    void Run();
    struct Wanted {
        std::string kind;
        std::string png;  // empty: still to be taken
    };
    void Queue(Wanted wanted);
    void Write(const std::string& kind, const std::string& png);
    void RefreshScreen();
    void Prune();
    bool Capture(std::string& png);

    const std::wstring folder_, shots_;
    const std::function<void(const std::wstring&)> log_;
    const unsigned long long screenPeriodMs_;
    std::atomic<unsigned long long> problemLoggedAt_{0};

    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<Wanted> wanted_;  // under lock_
    bool stopping_ = false;           // under lock_
    std::thread thread_;
};

}  // namespace pictures
