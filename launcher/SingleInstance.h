#pragma once

namespace launcher {

// Claims the flag that every process of this program file shares. True for the first
// copy; false while another copy holds it. The flag lives as long as any process of
// the image does, so it needs no release.
bool ClaimSingleInstance();

// What a second copy does: asks the running copy (found by the bar's title) to show
// its bar, or says that a copy runs when no window with that title exists.
void ShowRunningCopy();

}  // namespace launcher
