// Filled in with the cursor work.
#include "core/touch/Cursor.h"

void SetDotCursor(bool on) {}
void RestoreCursor() {}
