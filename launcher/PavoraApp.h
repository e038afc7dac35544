#pragma once
#include "framework/Application.h"

// The launcher program: one copy at a time, whose only window is the modal bar.
class CPavoraApp : public kit::Application {
public:
    BOOL InitInstance() override;
};
