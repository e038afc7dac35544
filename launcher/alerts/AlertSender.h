#pragma once
// Tells the webhook of events: Tell() (on the bar's thread) only throttles, builds the body
// and queues it; a thread of the sender's own posts the queue oldest first, and after a
// failed post waits a pause that doubles from firstPauseMs up to longestPauseMs. What is not
// yet delivered is in the queue file, for the next launcher to send. The launcher's end
// waits at most kEndWaitMs for a post in flight: after that the thread is left to finish on
// its own (it holds what it needs), so that an unreachable webhook never holds an exit.
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "launcher/alerts/AlertEvent.h"
#include "launcher/alerts/AlertQueue.h"
#include "launcher/alerts/AlertSettings.h"
#include "launcher/alerts/AlertThrottle.h"

namespace alerts {

class AlertSender {
public:
    // Called from the sender's thread as well: must be safe there.
    using LogLine = std::function<void(const std::wstring&)>;
    struct Options {
        unsigned long long firstPauseMs = 10 * 1000;
        unsigned long long longestPauseMs = 10 * 60 * 1000;
        int postTimeoutMs = 5000;  // per WinHTTP step
        std::function<unsigned long long()> clock;  // for the throttle; GetTickCount64 when empty
        // A day: an "alive" is queued after each such while (0: none), by the sender's thread.
        unsigned long long aliveEveryMs = 24ull * 60 * 60 * 1000;
    };

    AlertSender(AlertSettings settings, AlertOrigin origin, std::wstring queueFile, LogLine log, Options options);
    ~AlertSender();
    AlertSender(const AlertSender&) = delete;
    AlertSender& operator=(const AlertSender&) = delete;

    void Tell(const AlertEvent& event);
    size_t Waiting() const;

    static constexpr unsigned kEndWaitMs = 1000;

private:
    // What the sending thread needs; it outlives the sender when a post holds it.
    struct Shared {
        Shared(AlertSettings s, AlertOrigin o, std::wstring queueFile, LogLine l, Options opt)
            : settings(std::move(s)), origin(std::move(o)), log(std::move(l)), options(std::move(opt)),
              queue(std::move(queueFile))
        {
        }
        const AlertSettings settings;
        const AlertOrigin origin;
        const LogLine log;
        const Options options;
        mutable std::mutex lock;
        std::condition_variable wake;
        AlertQueue queue;                // under lock
        unsigned long long dropped = 0;  // under lock: bodies the limit dropped, ever
        bool stopping = false;           // under lock
        bool ended = false;              // under lock: the thread is done
        void QueueLocked(const std::string& body);
    };
    static void Run(const std::shared_ptr<Shared>& shared);
    unsigned long long Now() const;

    std::shared_ptr<Shared> shared_;
    AlertThrottle throttle_;  // the bar's thread only
    std::thread thread_;
};

}  // namespace alerts
