#pragma once

class CPointF {
public:
    CPointF(float x = 0.0f, float y = 0.0f) : x(x), y(y) {}
    CPointF(const CPointF&) = default;
    CPointF& operator=(const CPointF&) = default;
    virtual ~CPointF() = default;

    float x;
    float y;
};
