#pragma once
// At most `maxPerHour` events of one kind in any hour; the ones over it are counted and the
// count goes with the next one of that kind that is sent. The back-to-normal half of a pair
// always goes, and neither takes a place nor carries a count. Times are milliseconds of the
// caller's clock (GetTickCount64 in the launcher).
#include <deque>
#include <map>

#include "launcher/alerts/AlertEvent.h"

namespace alerts {

class AlertThrottle {
public:
    explicit AlertThrottle(unsigned maxPerHour) : max_(maxPerHour ? maxPerHour : 1) {}

    struct Verdict {
        bool send = false;
        unsigned suppressed = 0;  // held back before this one, to be put into its body
    };
    Verdict Pass(AlertKind kind, unsigned long long nowMs);

private:
    struct Kind {
        std::deque<unsigned long long> sent;  // within the last hour
        unsigned suppressed = 0;
    };
    unsigned max_;
    std::map<AlertKind, Kind> kinds_;
};

}  // namespace alerts
