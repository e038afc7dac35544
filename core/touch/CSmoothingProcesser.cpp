#include "core/touch/CSmoothingProcesser.h"

int CSmoothingProcesser::Window() const
{
    if (level < 1) return 1;
    return level > kHistorySize ? kHistorySize : level;
}

CPointF CSmoothingProcesser::Process(const CPointF& point)
{
    if (!enabled) {
        output = point;
        return output;
    }
    // The counters are public: never let them point outside the history.
    if (historyIndex < 0 || historyIndex >= kHistorySize) historyIndex = 0;
    if (historyCount < 0 || historyCount > kHistorySize) historyCount = 0;

    history[historyIndex] = point;
    historyIndex = (historyIndex + 1) % kHistorySize;
    if (historyCount < kHistorySize) ++historyCount;

    int count = Window() < historyCount ? Window() : historyCount;
    double x = 0.0, y = 0.0;
    for (int k = 1; k <= count; ++k) {
        const CPointF& past = history[(historyIndex - k + kHistorySize) % kHistorySize];
        x += past.x;
        y += past.y;
    }
    output = CPointF(static_cast<float>(x / count), static_cast<float>(y / count));
    return output;
}
