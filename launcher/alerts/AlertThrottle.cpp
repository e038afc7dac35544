#include "launcher/alerts/AlertThrottle.h"

namespace alerts {

namespace {
constexpr unsigned long long kHourMs = 60ull * 60 * 1000;
}

AlertThrottle::Verdict AlertThrottle::Pass(AlertKind kind, unsigned long long nowMs)
{
    Verdict verdict;
    // The way back always goes, and neither takes a place of its pair's kind nor its count:
    // those belong to the next "on" or "set aside".
    if (IsBackToNormal(kind)) {
        verdict.send = true;
        return verdict;
    }
    Kind& k = kinds_[kind];
    while (!k.sent.empty() && nowMs - k.sent.front() >= kHourMs) k.sent.pop_front();
    if (k.sent.size() >= max_) {
        ++k.suppressed;
        return verdict;
    }
    verdict.send = true;
    verdict.suppressed = k.suppressed;
    k.suppressed = 0;
    k.sent.push_back(nowMs);
    return verdict;
}

}  // namespace alerts
