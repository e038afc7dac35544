#pragma once
#define IDD_SCENE_PAGE 5006
