#pragma once
// What the whole-program tests cannot see from outside (message boxes, the system cursor,
// which Wine does not change) is appended, one UTF-8 line at a time, to the file that an
// environment variable names. Unset, nothing is written.
#include <string>

namespace kit {

std::wstring EnvironmentValue(const wchar_t* name);
// True when the variable names a file; the line is appended to it.
bool AppendTestLog(const wchar_t* variable, const std::wstring& line);

}  // namespace kit
