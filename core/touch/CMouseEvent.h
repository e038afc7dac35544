#pragma once

// The mouse-event part of the touch state; the tracker moves the mouse itself, so it
// carries nothing yet.
class CMouseEvent {
public:
    CMouseEvent() = default;
    CMouseEvent(const CMouseEvent&) = default;
    CMouseEvent& operator=(const CMouseEvent&) = default;
    virtual ~CMouseEvent() = default;
};
