#pragma once
#include <windows.h>

#include <string>

// A window area that shows the camera picture, and the last point clicked in it, in
// camera pixels.
struct VideoSourceClick {
    static constexpr int kDefaultFrameWidth = 320;
    static constexpr int kDefaultFrameHeight = 240;

    POINT clickPoint = {-1, -1};
    RECT videoRect = {};
    int frameWidth = kDefaultFrameWidth;
    int frameHeight = kDefaultFrameHeight;

    bool HasPoint() const { return clickPoint.x != -1 || clickPoint.y != -1; }
    void Forget() { clickPoint = {-1, -1}; }
    // Takes the capture size of the current device's camera from its tracker file.
    void ReadFrameSize();
    // The same from a given tracker file.
    void ReadFrameSize(const std::string& trackerFile);
    // A press outside the area changes nothing.
    bool Map(int x, int y);
};

// Asks for a click in the camera picture first.
void ShowMissingPointMessage(HWND owner);
