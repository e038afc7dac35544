#pragma once
#include "framework/Dialog.h"

class CPavoraDlg : public kit::Dialog {
public:
    CPavoraDlg();

protected:
    BOOL OnInitDialog() override;
};
