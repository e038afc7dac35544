#pragma once

// The tray menu and its pictograms.
#define IDR_TRAY_MENU 130

#define IDI_MENU_CALIBRATE 133
#define IDI_MENU_EXIT 134
#define IDI_MENU_SETTINGS 135
#define IDI_MENU_MEDIA_SHOW 136
#define IDI_MENU_ADVANCED 137
#define IDI_MENU_SHAPED_PROJECTION 138
#define IDI_MENU_QUICK_BAR 139
#define IDI_MENU_RESET 140
#define IDI_MENU_END_CALIBRATION 141

// Commands of the tray menu; the main window handles them.
#define ID_TRAY_CALIBRATE 32772
#define ID_TRAY_SETTINGS 32776
#define ID_TRAY_SHAPED_PROJECTION 32778
#define ID_TRAY_END_CALIBRATION 32779
#define ID_TRAY_MEDIA_SHOW 32783
#define ID_TRAY_RESET 32785
#define ID_TRAY_QUICK_BAR 32787
#define ID_TRAY_EXIT 57665  // the framework's exit command
