#pragma once
#include "core/touch/CPointF.h"

// Smooths the path of one blob: a moving average over its last `level` points.
class CSmoothingProcesser {
public:
    static const int kHistorySize = 200;

    CSmoothingProcesser() = default;
    CSmoothingProcesser(const CSmoothingProcesser&) = default;
    CSmoothingProcesser& operator=(const CSmoothingProcesser&) = default;
    virtual ~CSmoothingProcesser() = default;

    // Takes the blob's next point and returns the smoothed one (also kept in `output`).
    CPointF Process(const CPointF& point);
    // The number of points averaged: `level` kept within 1 and the history's size, since
    // levels outside that range still leave a processor enabled.
    int Window() const;

    int level = 15;
    int enabled = 1;
    CPointF history[kHistorySize];
    int historyCount = 0;  // points held, at most kHistorySize
    int historyIndex = 0;  // where the next point goes
    CPointF output;
};
