#pragma once
#include "core/resources/ScenePageIds.h"
#include "framework/PropertyPage.h"

// The settings sheet's scene page; its template only, until its controls are served.
class CScencePage : public kit::PropertyPage {
public:
    CScencePage() : PropertyPage(IDD_SCENE_PAGE) {}
};
