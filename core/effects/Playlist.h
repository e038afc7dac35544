#pragma once
// The playlist file: root element of any name, one child element per effect, each with
// a "file" (the program's path) and a "time" (minutes) in the ANSI code page.
#include "core/effects/EffectEntry.h"

namespace tessaly {

// Relative to the current directory, which is the installation folder.
extern const wchar_t kPlaylistFile[];

// The library's playlist: one per process, empty until loaded. Callers keep its
// address, so loading replaces its content and never the list itself.
EffectList& LibraryPlaylist();

// A play time read as a number, as an entry keeps it. A number beyond the float range is
// held at the range's end: narrowing it would be undefined, and an infinite time would not
// survive the effect page's save.
float MinutesOf(double number);

// Replaces `entries` with the effects listed in `file`. A file that is missing, cannot
// be parsed or has no root element leaves the list empty; entries whose program does
// not exist, or whose path does not fit an entry, are left out. False when the file
// could not be read or parsed.
bool LoadPlaylist(const wchar_t* file, EffectList& entries);

}  // namespace tessaly
