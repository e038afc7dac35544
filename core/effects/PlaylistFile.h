#pragma once
// Reading a playlist file: root element of any name, one child element per effect, each
// with a "file" (the program's path) and a "time" (minutes) in the ANSI code page. The
// library reads data\EffectPath.xml with it, the launcher the schedule's playlists.
#include <string>

#include "core/effects/EffectEntry.h"

namespace tessaly {

// A play time read as a number, as an entry keeps it. A number beyond the float range is
// held at the range's end: narrowing it would be undefined, and an infinite time would not
// survive the effect page's save.
float MinutesOf(double number);

// Replaces `entries` with the effects listed in `file`. A file that is missing, cannot
// be parsed or has no root element leaves the list empty; entries without a path, or whose
// path does not fit an entry, are left out (a missing program's entry stays). False when
// the file could not be read or parsed; `problem` then says why, for the log.
bool LoadPlaylist(const wchar_t* file, EffectList& entries, std::wstring* problem = nullptr);

}  // namespace tessaly
