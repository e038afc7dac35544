#pragma once
// Numbers of our own sections of Bin\config.ini. A value beyond what makes
// sense is held at the nearest sensible one, and the note that says so goes to the log:
// a setting that silently means something else (a negative warm-up read as an hour of
// black) is the hardest fault to find on site.
#include <windows.h>

#include <string>
#include <vector>

namespace kit {

// Missing (or a missing file) keeps `fallback` without a note; no number, or one outside
// `lowest` … `highest`, adds a note "[section] key=value …; N is used".
DWORD ReadBoundedNumber(const wchar_t* file, const wchar_t* section, const wchar_t* key, DWORD fallback, DWORD lowest,
                        DWORD highest, std::vector<std::wstring>& notes);

}  // namespace kit
