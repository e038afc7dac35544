#pragma once

// The red-dot arrow cursor for edge-blended projections.
void SetDotCursor(bool on);
void RestoreCursor();
