#pragma once
#include <string>

#include "framework/Application.h"

// The library's application object: started when the library is attached to the
// process, ended when it is detached.
class CBrimwellApp : public kit::Application {
public:
    BOOL InitInstance() override;
    int ExitInstance() override;

    // The caption of the library's own message boxes: the module's file name without extension.

    void* ownerWindow = nullptr;
    // Set when the library is unloaded because the process ends: the system has then
    // already ended the library's threads.
    bool processEnding = false;

private:
    ULONG_PTR gdiplusToken_ = 0;
};

CBrimwellApp& TheApp();
