#pragma once
// What the projection shows now, as a PNG: the primary monitor, scaled down to a width that a
// phone or a report can take, encoded by the platform's own imaging component. Safe from any
// thread; it never touches the bar's.
#include <windows.h>

#include <string>
#include <vector>

namespace pictures {

// The primary monitor at most `mostWidth` pixels wide (its aspect kept; never enlarged).
// False, with the system's reason, when it cannot be taken.
bool CapturePrimaryMonitor(int mostWidth, std::string& png, std::wstring& problem);

// The desktop's rectangle `area` shrunk to width × height, averaged (a thin line is not lost),
// as 32-bit pixels (blue, green, red, unused), top-down rows; false when it cannot be read.
bool ShrinkScreenArea(const RECT& area, int width, int height, std::vector<unsigned char>& pixels);

// Pixels (32 bits each, top-down rows of `width`) as a PNG; false with the reason.
bool EncodePng(const void* pixels, int width, int height, std::string& png, std::wstring& problem);

}  // namespace pictures
