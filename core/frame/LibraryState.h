#pragma once
#include <windows.h>

typedef void (*PointCallback)();

// The device in use: 0 infrared light, 1 infrared sign pen, 2 laser, 3 infrared light
// with rear projection. Read from the configuration when the library loads.
extern int deviceType;

namespace tessaly {

// The few library-wide values that the exports keep.
struct LibraryState {
    HINSTANCE instance = nullptr;       // the library's module, for its resources
    PointCallback pointCallback = nullptr;
    int calibrationPointCount = 4;
    LONG sheetOpen = 0;
    LONG cameraDialogOpen = 0;
    // Set by the tool bar's right-click and double-click buttons; nothing reads it yet.
    int clickMode = 0;  // 0 none, 1 right click, 2 double click
};

LibraryState& Library();

}  // namespace tessaly
