#include "launcher/alerts/AlertSender.h"

#include <windows.h>

#include <algorithm>
#include <chrono>

#include "launcher/alerts/WebhookPost.h"
#include "launcher/alerts/WebhookSignature.h"

namespace alerts {

AlertSender::AlertSender(AlertSettings settings, AlertOrigin origin, std::wstring queueFile, LogLine log,
                         Options options)
    : shared_(std::make_shared<Shared>(std::move(settings), std::move(origin), std::move(queueFile), std::move(log),
                                       std::move(options))),
      throttle_(shared_->settings.maxPerHour)
{
    const std::wstring& problem = shared_->queue.LoadProblem();
    if (!problem.empty() && shared_->log) shared_->log(problem);
    if (shared_->settings.On()) {
        std::shared_ptr<Shared> shared = shared_;
        thread_ = std::thread([shared] { Run(shared); });
    }
}

AlertSender::~AlertSender()
{
    if (!thread_.joinable()) return;
    std::unique_lock<std::mutex> hold(shared_->lock);
    shared_->stopping = true;
    shared_->wake.notify_all();
    bool ended = shared_->wake.wait_for(hold, std::chrono::milliseconds(kEndWaitMs), [this] { return shared_->ended; });
    hold.unlock();
    if (ended) thread_.join();
    else thread_.detach();
}

unsigned long long AlertSender::Now() const
{
    return shared_->options.clock ? shared_->options.clock() : GetTickCount64();
}

void AlertSender::Tell(const AlertEvent& event)
{
    if (!shared_->settings.On()) return;
    AlertThrottle::Verdict verdict = throttle_.Pass(event.kind, Now());
    if (!verdict.send) return;
    std::string body = AlertBody(event, shared_->origin, UtcNowText(), verdict.suppressed);
    {
        std::lock_guard<std::mutex> hold(shared_->lock);
        shared_->QueueLocked(body);
    }
    shared_->wake.notify_all();
}

void AlertSender::Shared::QueueLocked(const std::string& body)
{
    if (!queue.Push(body)) return;
    ++dropped;
    if (log) log(L"alert queue full (" + std::to_wstring(AlertQueue::kLimit) + L" waiting): the oldest alert was dropped");
}

size_t AlertSender::Waiting() const
{
    std::lock_guard<std::mutex> hold(shared_->lock);
    return shared_->queue.Size();
}

void AlertSender::Run(const std::shared_ptr<Shared>& shared)
{
    Shared& s = *shared;
    unsigned long long pause = 0;
    ULONGLONG nextAlive = s.options.aliveEveryMs ? GetTickCount64() + s.options.aliveEveryMs : 0;
    std::unique_lock<std::mutex> hold(s.lock);
    auto ready = [&s] { return s.stopping || !s.queue.Empty(); };
    while (!s.stopping) {
        if (nextAlive && GetTickCount64() >= nextAlive) {
            nextAlive += s.options.aliveEveryMs;
            s.QueueLocked(AlertBody({AlertKind::Alive, L"", L"daily"}, s.origin, UtcNowText(), 0));
        }
        if (s.queue.Empty()) {
            if (!nextAlive) {
                s.wake.wait(hold, ready);
            } else {
                ULONGLONG now = GetTickCount64();
                s.wake.wait_for(hold, std::chrono::milliseconds(nextAlive > now ? nextAlive - now : 0), ready);
            }
            continue;
        }
        std::string body = s.queue.Front();
        unsigned long long droppedBefore = s.dropped;
        hold.unlock();
        std::string signature = s.settings.secret.empty() ? std::string() : WebhookSignature(s.settings.secret, body);
        // A receiver that checks signatures would take an unsigned body and throw it away.
        PostResult result;
        if (!s.settings.secret.empty() && signature.empty()) result.problem = L"the body could not be signed";
        else result = PostWebhook(s.settings.webhook, body, signature, s.options.postTimeoutMs);
        hold.lock();
        if (result.delivered) {
            // The limit may have dropped it meanwhile; then the front is a newer one, not yet sent.
            if (s.dropped == droppedBefore) s.queue.PopFront();
            if (pause && s.log) {
                hold.unlock();
                s.log(L"alerts delivered again to " + s.settings.ShownAddress());
                hold.lock();
            }
            pause = 0;
            continue;
        }
        pause = pause ? std::min(pause * 2, s.options.longestPauseMs) : s.options.firstPauseMs;
        size_t waiting = s.queue.Size();
        if (s.log) {
            hold.unlock();
            s.log(L"alert not delivered to " + s.settings.ShownAddress() + L": " + result.problem + L"; " +
                  std::to_wstring(waiting) + L" waiting, next try in " + std::to_wstring(pause / 1000) + L" s");
            hold.lock();
        }
        s.wake.wait_for(hold, std::chrono::milliseconds(pause), [&s] { return s.stopping; });
    }
    s.ended = true;
    s.wake.notify_all();
}

}  // namespace alerts
