#pragma once
// The processes of an effect: those that stopping it would end, found by program name.
#include <windows.h>

#include <string>
#include <vector>

#include "framework/ProcessList.h"

namespace supervision {

// The program name that ending the effect at `path` looks for: its file name, or the
// effect shell for a command file (which runs inside it).
std::wstring EffectImageName(const std::wstring& path);

using kit::ListProcesses;
using kit::LowerName;
using kit::ProcessInfo;

}  // namespace supervision
