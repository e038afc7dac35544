// The library's exports for the playlist and the effect programs.
#include "core/effects/EffectPrograms.h"
#include "core/effects/LastEffectPath.h"
#include "core/effects/Playlist.h"
#include "core/library/TessalyApi.h"

unsigned char AnalysisEffectXml()
{
    return tessaly::LoadPlaylist(tessaly::kPlaylistFile, tessaly::LibraryPlaylist()) ? 1 : 0;
}

EffectList* __stdcall GetEffectPlayInfo()
{
    return &tessaly::LibraryPlaylist();
}

bool PlayEffect(const wchar_t* path)
{
    return tessaly::StartEffect(path);
}

BOOL IsCplusEffect(std::wstring path)
{
    return tessaly::IsNativeEffect(path) ? TRUE : FALSE;
}

HWND GetFlashWnd()
{
    return tessaly::FindEffectWindow();
}

std::wstring GetLastEffectPath()
{
    return tessaly::LastEffectPath();
}

void SetLastEffectPath(std::wstring path)
{
    tessaly::LastEffectPath() = std::move(path);
}
