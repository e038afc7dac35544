#pragma once
#include "core/resources/VideoPageIds.h"
#include "framework/PropertyPage.h"

// The settings sheet's video page; its template only, until its controls are served.
class CVedioSetPage : public kit::PropertyPage {
public:
    CVedioSetPage() : PropertyPage(IDD_VIDEO_PAGE) {}
};
