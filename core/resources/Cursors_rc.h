#pragma once
// The library's two arrow cursors.
#define IDC_DOT_CURSOR 5010
#define IDC_ARROW_CURSOR 5011
