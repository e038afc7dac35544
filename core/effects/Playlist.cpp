#include "core/effects/Playlist.h"

namespace tessaly {

const wchar_t kPlaylistFile[] = L"data\\EffectPath.xml";

EffectList& LibraryPlaylist()
{
    static EffectList list;
    return list;
}

}  // namespace tessaly
