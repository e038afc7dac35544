#pragma once
#include <string>

#include "framework/Application.h"

class TouchManager;

// The library's application object: started when the library is attached to the
// process, ended when it is detached.
class CBrimwellApp : public kit::Application {
public:
    BOOL InitInstance() override;
    int ExitInstance() override;

    // The caption of the library's own message boxes: the module's file name without extension.

    TouchManager* touchManager = nullptr;
    void* ownerWindow = nullptr;

private:
    ULONG_PTR gdiplusToken_ = 0;
    bool socketsStarted_ = false;
};

CBrimwellApp& TheApp();
