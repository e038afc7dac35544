// Effect playlist and effect programs: filled in with the playlist work.
#include "core/frame/TessalyApi.h"

namespace {
EffectList& Playlist()
{
    static EffectList list;
    return list;
}
}  // namespace

unsigned char AnalysisEffectXml() { return 0; }
EffectList* __stdcall GetEffectPlayInfo() { return &Playlist(); }
bool PlayEffect(const wchar_t* path) { return false; }
BOOL IsCplusEffect(std::wstring path) { return path.find(L"effect.exe") != std::wstring::npos; }
HWND GetFlashWnd() { return nullptr; }
std::wstring GetLastEffectPath() { return std::wstring(); }
void SetLastEffectPath(std::wstring path) {}
