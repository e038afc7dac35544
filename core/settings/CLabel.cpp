#include "core/settings/CLabel.h"

#include <commctrl.h>
#include <shellapi.h>

#include "framework/WindowText.h"

CLabel::CLabel() : textColor_(GetSysColor(COLOR_WINDOWTEXT)) {}

CLabel::~CLabel()
{
    if (toolTip_) DestroyWindow(toolTip_);
    if (hoverCursor_) DestroyCursor(hoverCursor_);
}

bool CLabel::SubclassDlgItem(int id, HWND parent)
{
    return Subclass(GetDlgItem(parent, id));
}

bool CLabel::Subclass(HWND window)
{
    if (!window || !Attach(window)) return false;
    RebuildFont();
    tipText_ = kit::WindowText(window);
    CreateToolTip();
    return true;
}

void CLabel::CreateToolTip()
{
    if (toolTip_) DestroyWindow(toolTip_);
    toolTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Window(), nullptr, nullptr, nullptr);
    if (!toolTip_) return;
    // The tool tip also watches the label itself, so that dialogs with the system's modal
    // loop show it without anyone relaying messages.
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = Window();
    tool.uId = kToolId;
    GetClientRect(Window(), &tool.rect);
    tool.lpszText = const_cast<wchar_t*>(tipText_.c_str());
    SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

bool CLabel::PreTranslateMessage(MSG* msg)
{
    if (toolTip_ && msg) SendMessageW(toolTip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
    return false;
}

bool CLabel::SetMode(int mode)
{
    if (mode < 0 || mode > 2) {
        blinkMode_ = 3;
        return false;
    }
    blinkMode_ = mode;
    return true;
}

void CLabel::SetTextColor(COLORREF color)
{
    textColor_ = color;
    Repaint();
}

// The label draws no background of its own: the parent repaints what lies under it, so
// that a changed or blinked-off text does not stay on the screen.
void CLabel::Repaint()
{
    HWND window = Window();
    if (!window) return;
    HWND parent = GetParent(window);
    RECT rect;
    GetWindowRect(window, &rect);
    if (parent) {
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
        InvalidateRect(parent, &rect, TRUE);
    }
    InvalidateRect(window, nullptr, TRUE);
}

void CLabel::SetLink(bool isLink)
{
    isLink_ = isLink ? 1 : 0;
    RebuildFont();
}

void CLabel::SetToolTipText(const std::wstring& text)
{
    tipText_ = text;
    if (!toolTip_) return;
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = Window();
    tool.uId = kToolId;
    tool.lpszText = const_cast<wchar_t*>(tipText_.c_str());
    SendMessageW(toolTip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void CLabel::SetHoverCursor(HCURSOR cursor)
{
    if (hoverCursor_ && hoverCursor_ != cursor) DestroyCursor(hoverCursor_);
    hoverCursor_ = cursor;
}

void CLabel::RebuildFont()
{
    if (!Window()) return;
    // The label's own font is never the window's font, so the old one can go first.
    font_.Reset();
    auto current = reinterpret_cast<HFONT>(SendMessageW(Window(), WM_GETFONT, 0, 0));
    if (!current) current = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (GetObjectW(current, sizeof(logFont_), &logFont_) == 0) return;
    if (isLink_) logFont_.lfUnderline = TRUE;
    font_.Reset(CreateFontIndirectW(&logFont_));
    Repaint();
}

void CLabel::OnClick()
{
    if (isLink_ && linkTarget_.empty()) {
        SendMessageW(GetParent(Window()), kLinkClicked, 0, 0);
        return;
    }
    // A plain label without a target has nothing to open.
    if (linkTarget_.empty()) return;
    ShellExecuteW(nullptr, L"open", linkTarget_.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

LRESULT CLabel::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONDOWN:
        OnClick();
        break;
    case WM_SETCURSOR:
        if (hoverCursor_) {
            SetCursor(hoverCursor_);
            return TRUE;
        }
        break;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_PAINT: {
        kit::PaintDC dc(Window());
        Paint(dc.Get());
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_TIMER:
        if (wParam != kBlinkTimer) break;
        timerRunning_ = 1;
        blinkPhase_ = blinkPhase_ ? 0 : 1;
        Repaint();
        return 0;
    case WM_SETTEXT: {
        LRESULT result = Default(message, wParam, lParam);
        Repaint();
        return result;
    }
    case WM_DESTROY:
        if (timerRunning_) KillTimer(Window(), kBlinkTimer);
        timerRunning_ = 0;
        if (toolTip_) DestroyWindow(toolTip_);
        toolTip_ = nullptr;
        break;
    default:
        break;
    }
    return Default(message, wParam, lParam);
}

void CLabel::Paint(HDC dc)
{
    LONG style = GetWindowLongW(Window(), GWL_STYLE);
    UINT align = DT_LEFT;
    switch (style & 3) {
    case SS_CENTER: align = DT_CENTER; break;
    case SS_LEFT: align = DT_LEFT; break;
    default: align = DT_RIGHT; break;
    }
    SetBkMode(dc, TRANSPARENT);
    if (blinkMode_ == 1 && blinkPhase_ == 0) return;

    kit::SavedDC saved(dc);
    ::SetTextColor(dc, IsWindowEnabled(Window()) ? textColor_ : GetSysColor(COLOR_INACTIVECAPTIONTEXT));
    if (font_.Get()) SelectObject(dc, font_.Get());
    else if (auto font = reinterpret_cast<HFONT>(SendMessageW(Window(), WM_GETFONT, 0, 0))) SelectObject(dc, font);

    RECT client;
    GetClientRect(Window(), &client);
    std::wstring text = kit::WindowText(Window());
    UINT prefix = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
    if (text.find(L'\n') == std::wstring::npos) {
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &client, align | DT_SINGLELINE | DT_VCENTER | prefix);
        return;
    }
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    int y = client.top;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(L'\n', start);
        std::wstring line = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        TextOutW(dc, client.left, y, line.c_str(), static_cast<int>(line.size()));
        if (end == std::wstring::npos) break;
        start = end + 1;
        y += metrics.tmHeight;
    }
}
