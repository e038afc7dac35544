// Placeholder until the tray and its menu are written.
#include "launcher/Tray.h"

CTray::CTray() {}
CTray::~CTray() {}
BOOL CTray::Create(HWND owner, const wchar_t* tip, HICON icon) { return FALSE; }
LRESULT CTray::OnNotify(WPARAM wParam, LPARAM lParam) { return 1; }
void CTray::MeasureItem(MEASUREITEMSTRUCT* measure) {}
bool CTray::DrawItem(const DRAWITEMSTRUCT* draw) { return false; }
void CTray::PreparePopup(HMENU popup) {}
void CTray::RemoveIcon() {}
