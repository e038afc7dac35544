#include "core/settings/CDlgScreenArea.h"

#include <objidl.h>
#include <gdiplus.h>

#include <cwchar>
#include <cwctype>

#include "core/resources/ScreenAreaDlg_rc.h"
#include "framework/Handles.h"
#include "framework/MessageBox.h"

namespace {

const wchar_t kExitPicture[] = L"data\\images\\exitBig.png";
const COLORREF kShapeColour = RGB(0, 255, 255);
const COLORREF kHeadingColour = RGB(255, 0, 0);

int Truncated(float pixels)
{
    return static_cast<int>(pixels);
}

// The edit shows a value as the framework's numeric exchange does: six significant digits.
void SetNumber(HWND dialog, int id, float value)
{
    wchar_t text[32];
    swprintf(text, 32, L"%.6g", static_cast<double>(value));
    SetDlgItemTextW(dialog, id, text);
}

// Text that is not a whole number leaves the value alone: the edits are read on every
// keystroke, and "", "-" or "0.2x" on the way to a number must not move the shape.
bool ReadNumber(HWND dialog, int id, float& value)
{
    wchar_t text[64] = L"";
    GetDlgItemTextW(dialog, id, text, 63);
    wchar_t* end = nullptr;
    double parsed = wcstod(text, &end);
    if (end == text) return false;
    while (*end && iswspace(*end)) ++end;
    if (*end) return false;
    value = static_cast<float>(parsed);
    return true;
}

class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectedObject() { SelectObject(dc_, previous_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace

CDlgScreenArea::CDlgScreenArea(HWND parent) : kit::Dialog(IDD_SCREEN_AREA, parent) {}

CDlgScreenArea::~CDlgScreenArea()
{
    Destroy();
}

RECT CDlgScreenArea::CircleRect(float centerX, float centerY, float radius, int w, int h, int screenWidth,
                                int screenHeight)
{
    float r = radius * static_cast<float>(screenHeight);
    float e = screenWidth > 0 ? r / static_cast<float>(screenWidth) : 0.0f;
    return {Truncated((centerX - e) * w), Truncated((centerY - radius) * h), Truncated((centerX + e) * w),
            Truncated((centerY + radius) * h)};
}

SIZE CDlgScreenArea::ClientSize() const
{
    RECT client{};
    GetClientRect(Handle(), &client);
    return {client.right, client.bottom};
}

BOOL CDlgScreenArea::OnInitDialog()
{
    exitImage_.reset(new Gdiplus::Bitmap(kExitPicture));
    if (exitImage_->GetLastStatus() != Gdiplus::Ok) exitImage_.reset();

    HWND combo = Item(IDC_AREA_TYPE);
    const wchar_t* const names[] = {L"矩形", L"圆形"};
    // Where each name lands depends on the system's collation; the band is what is drawn first.
    for (int type = Band; type <= Circle; ++type) {
        LRESULT index = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names[type]));
        SendMessageW(combo, CB_SETITEMDATA, index, type);
    }
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index)
        if (SendMessageW(combo, CB_GETITEMDATA, index, 0) == Band) SendMessageW(combo, CB_SETCURSEL, index, 0);

    // Yellow captions of the edits, a white one of the shape choice, on the black ground.
    const int labelIds[] = {IDC_AREA_LABEL1, IDC_AREA_LABEL2, IDC_AREA_RADIUS_LABEL, IDC_AREA_TYPE_LABEL};
    for (int i = 0; i < 4; ++i) {
        labels_[i].SubclassDlgItem(labelIds[i], Handle());
        labels_[i].SetTextColor(labelIds[i] == IDC_AREA_TYPE_LABEL ? RGB(255, 255, 255) : RGB(255, 255, 0));
    }

    SIZE size = ClientSize();
    corridorRect_ = {Truncated(size.cx * leftFraction_), Truncated(size.cy * editValue1_),
                     Truncated(size.cx * rightFraction_), Truncated(size.cy * editValue2_)};
    ApplyType();
    return TRUE;
}

void CDlgScreenArea::ApplyType()
{
    float h = static_cast<float>(ClientSize().cy);
    bool circle = areaType_ == Circle;
    ShowWindow(Item(IDC_AREA_RADIUS), circle ? SW_SHOW : SW_HIDE);
    ShowWindow(Item(IDC_AREA_RADIUS_LABEL), circle ? SW_SHOW : SW_HIDE);
    SetItemText(IDC_AREA_LABEL1, circle ? L"X:" : L"TOP:");
    SetItemText(IDC_AREA_LABEL2, circle ? L"Y:" : L"BOTTOM:");
    if (circle) {
        editValue1_ = circleCenterX_;
        editValue2_ = circleCenterY_;
    } else if (h > 0) {
        editValue1_ = corridorRect_.top / h;
        editValue2_ = corridorRect_.bottom / h;
    }
    UpdateData(false);
    InvalidateRect(Handle(), nullptr, TRUE);
}

// Filling one edit announces a change before the next edit holds its new text; reading
// the edits back then would take the other shape's stale value, so changes made by the
// filling itself are not read.
bool CDlgScreenArea::UpdateData(bool fromEdits)
{
    if (fromEdits) {
        if (filling_) return false;
        ReadNumber(Handle(), IDC_AREA_VALUE1, editValue1_);
        ReadNumber(Handle(), IDC_AREA_VALUE2, editValue2_);
        ReadNumber(Handle(), IDC_AREA_RADIUS, circleRadius_);
        return true;
    }
    filling_ = true;
    SetNumber(Handle(), IDC_AREA_VALUE1, editValue1_);
    SetNumber(Handle(), IDC_AREA_VALUE2, editValue2_);
    SetNumber(Handle(), IDC_AREA_RADIUS, circleRadius_);
    filling_ = false;
    return true;
}

void CDlgScreenArea::OnValueChanged(int id)
{
    if (!UpdateData(true)) return;
    float h = static_cast<float>(ClientSize().cy);
    if (id == IDC_AREA_VALUE1) {
        if (areaType_ == Band)
            corridorRect_.top = Truncated(h * editValue1_);
        else
            circleCenterX_ = editValue1_;
    } else if (id == IDC_AREA_VALUE2) {
        if (areaType_ == Band)
            corridorRect_.bottom = Truncated(h * editValue2_);
        else
            circleCenterY_ = editValue2_;
    }
    InvalidateRect(Handle(), nullptr, TRUE);
}

bool CDlgScreenArea::OnCommand(WORD id, WORD code, HWND control)
{
    switch (id) {
    case IDC_AREA_VALUE1:
    case IDC_AREA_VALUE2:
    case IDC_AREA_RADIUS:
        if (code != EN_CHANGE) return false;
        OnValueChanged(id);
        return true;
    case IDC_AREA_TYPE: {
        if (code != CBN_SELCHANGE) return false;
        LRESULT index = SendMessageW(control, CB_GETCURSEL, 0, 0);
        if (index == CB_ERR) return true;
        areaType_ = static_cast<int>(SendMessageW(control, CB_GETITEMDATA, index, 0));
        ApplyType();
        return true;
    }
    default:
        return false;
    }
}

INT_PTR CDlgScreenArea::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled)
{
    switch (message) {
    case WM_ERASEBKGND: {
        RECT client{};
        GetClientRect(Handle(), &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        handled = true;
        return TRUE;
    }
    case WM_PAINT: {
        kit::PaintDC dc(Handle());
        Draw(dc.Get());
        handled = true;
        return 0;
    }
    case WM_PRINTCLIENT: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        if (lParam & PRF_ERASEBKGND) OnMessage(WM_ERASEBKGND, wParam, 0, handled);
        Draw(dc);
        handled = true;
        return 0;
    }
    case WM_LBUTTONDOWN:
        OnLeftButtonDown({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return 0;  // the default processing follows
    default:
        return 0;
    }
}

void CDlgScreenArea::Draw(HDC dc)
{
    SIZE size = ClientSize();
    int w = size.cx;
    int h = size.cy;
    {
        HBRUSH brush = CreateSolidBrush(kShapeColour);
        SelectedObject selected(dc, brush);
        if (areaType_ == Band) {
            Rectangle(dc, corridorRect_.left, corridorRect_.top, corridorRect_.right, corridorRect_.bottom);
        } else {
            RECT e = CircleRect(circleCenterX_, circleCenterY_, circleRadius_, w, h, GetSystemMetrics(SM_CXSCREEN),
                                GetSystemMetrics(SM_CYSCREEN));
            Ellipse(dc, e.left, e.top, e.right, e.bottom);
        }
        // The brush is deselected before it goes.
        SelectObject(dc, GetStockObject(WHITE_BRUSH));
        DeleteObject(brush);
    }

    HFONT font = reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0));
    SelectedObject selectedFont(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kHeadingColour);
    const wchar_t heading[] = L"长廊.T台.圆形投影";
    TextOutW(dc, w / 2 - 100, 10, heading, static_cast<int>(wcslen(heading)));

    if (!exitImage_) return;
    int pw = static_cast<int>(exitImage_->GetWidth());
    int ph = static_cast<int>(exitImage_->GetHeight());
    exitRect_ = {w - pw - 1, h - ph - 31, w - 1, h - 31};
    Gdiplus::Graphics graphics(dc);
    graphics.DrawImage(exitImage_.get(), exitRect_.left, exitRect_.top, pw, ph);
}

void CDlgScreenArea::OnLeftButtonDown(POINT point)
{
    if (!PtInRect(&exitRect_, point)) return;
    // Nothing is kept whatever the answer: the shape is a sketch for the installer's eyes.
    kit::ShowMessageBox(Handle(), L"是否保存设置?", L"离开提示", MB_YESNO);
    OnOK();
}
