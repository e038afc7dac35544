#pragma once
// Finding, ending and starting outside programs.
#include <string>
#include <vector>

namespace tessaly {

// Whether some running process has one of these image names (case ignored).
bool AnyProcessRunning(const std::vector<std::wstring>& imageNames);

// Opens `file` (relative to the current directory) with the shell when it exists.
void StartProgramIfPresent(const wchar_t* file, int showCommand);

// Terminates every process of this image name (a path counts by its file name, case
// ignored; a command file stands for the effect shell "Nimbrel.exe"). 1 when some ran and all of them were ended, 0 otherwise, -1 without a name.
int KillProcesses(const wchar_t* name);

// Starts a command line with the window shown as asked, from the current directory;
// waits for its end when `wait` is non-zero.
void RunCommand(std::wstring commandLine, unsigned short showCommand, int wait);

}  // namespace tessaly
