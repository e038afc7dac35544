#pragma once
#include "framework/Application.h"

class CPavoraApp : public kit::Application {
public:
    BOOL InitInstance() override;
};
