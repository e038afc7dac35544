#pragma once
#include "core/resources/ScreenManagePageIds.h"
#include "framework/PropertyPage.h"

// The settings sheet's screen-management page; its template only, until its controls are served.
class CScreenManagePage : public kit::PropertyPage {
public:
    CScreenManagePage() : PropertyPage(IDD_SCREEN_MANAGE_PAGE) {}
};
