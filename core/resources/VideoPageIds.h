#pragma once
#define IDD_VIDEO_PAGE 5000
