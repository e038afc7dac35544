#pragma once
#define IDD_SCREEN_MANAGE_PAGE 5010
