#include "launcher/alerts/AlertThrottle.h"

namespace alerts {

namespace {
constexpr unsigned long long kHourMs = 60ull * 60 * 1000;
}

AlertThrottle::Verdict AlertThrottle::Pass(AlertKind kind, unsigned long long nowMs)
{
    Kind& k = kinds_[ThrottleKind(kind)];
    while (!k.sent.empty() && nowMs - k.sent.front() >= kHourMs) k.sent.pop_front();
    Verdict verdict;
    if (k.sent.size() >= max_ && !IsBackToNormal(kind)) {
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
