#pragma once

namespace DRIVER {

// Whether an installation started by the export still runs (its window, worker or the
// recording of its result), so that callers in the same process can wait for its end.
bool DriverInstallRunning();

}  // namespace DRIVER
