#pragma once
// Finding, ending and starting outside programs. KillProcessByName and
// OpenCmdByCommand are exported (TessalyApi.h); these are the library's own.
#include <string>
#include <vector>

namespace tessaly {

// Whether some running process has one of these image names (case ignored).
bool AnyProcessRunning(const std::vector<std::wstring>& imageNames);

// Opens `file` (relative to the current directory) with the shell when it exists.
void StartProgramIfPresent(const wchar_t* file, int showCommand);

}  // namespace tessaly
