#pragma once
// The bar's box of calibration point counts, and the point callback it hands the library.
#include <windows.h>

namespace launcher {

// 4, 16, 25 and 36, the first chosen.
void FillPointCounts(HWND box);
// The count chosen in the box, or -1 when none is.
int ChosenPointCount(HWND box);
// The side of the square grid of `points` points (0 for none).
int GridSide(int points);

}  // namespace launcher

namespace launcher {

// The point callback that the bar hands to the library for its point pipeline; the lock is
// what the callback guards. Prepare it before the library is handed the callback.
void PreparePointCallback();
void OnPoint();

}  // namespace launcher
