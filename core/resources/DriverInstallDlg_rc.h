#pragma once
// The driver installation's progress window.
#define IDD_DRIVER_INSTALL 5007
#define IDC_DRIVER_PROGRESS_TEXT 5058
#define IDC_DRIVER_SPARE_TEXT 5059
