#pragma once
// The playlist file: root element of any name, one child element per effect, each with
// a "file" (the program's path) and a "time" (minutes) in the ANSI code page.
#include "core/effects/EffectEntry.h"
#include "core/effects/PlaylistFile.h"

namespace tessaly {

// Relative to the current directory, which is the installation folder.
extern const wchar_t kPlaylistFile[];

// The library's playlist: one per process, empty until loaded. Callers keep its
// address, so loading replaces its content and never the list itself.
EffectList& LibraryPlaylist();

}  // namespace tessaly
