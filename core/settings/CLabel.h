#pragma once
#include <windows.h>

#include <string>

#include "framework/Handles.h"
#include "framework/WindowSubclass.h"

// A static text that draws in its own colour and can act as a link or blink. Attach it
// to a template's static; the parent's background shows through.
class CLabel : public kit::WindowSubclass {
public:
    static constexpr UINT_PTR kBlinkTimer = 0x1001;
    static constexpr UINT kLinkClicked = WM_USER + 3;  // to the parent, for a link without target
    static constexpr UINT_PTR kToolId = 0x432;

    CLabel();
    ~CLabel() override;

    // Subclasses the control and takes over its font and text (as its tool tip).
    bool SubclassDlgItem(int id, HWND parent);
    bool Subclass(HWND window);

    // Relays mouse messages to the tool tip, for windows run by a modal loop of ours.
    virtual bool PreTranslateMessage(MSG* msg);
    // 0 steady, 1 blinking (by a timer 0x1001 someone else starts), 2 steady; anything else
    // is refused and leaves mode 3, which draws steadily.
    virtual bool SetMode(int mode);

    void SetTextColor(COLORREF color);
    void SetLink(bool isLink);  // rebuilds the font: underlined when a link
    void SetLinkTarget(const std::wstring& target) { linkTarget_ = target; }
    void SetToolTipText(const std::wstring& text);
    void SetHoverCursor(HCURSOR cursor);  // the label destroys it
    void RebuildFont();

    COLORREF TextColor() const { return textColor_; }
    bool IsLink() const { return isLink_ != 0; }
    int Mode() const { return blinkMode_; }
    int BlinkPhase() const { return blinkPhase_; }
    const std::wstring& LinkTarget() const { return linkTarget_; }
    const std::wstring& ToolTipText() const { return tipText_; }
    HWND ToolTip() const { return toolTip_; }
    HFONT Font() const { return static_cast<HFONT>(font_.Get()); }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint(HDC dc);
    void Repaint();
    void OnClick();
    void CreateToolTip();

    kit::GdiObject font_;
    COLORREF textColor_;
    LOGFONTW logFont_ = {};
    int isLink_ = 0;
    int blinkMode_ = 0;
    int blinkPhase_ = 0;
    HCURSOR hoverCursor_ = nullptr;
    int timerRunning_ = 0;
    HWND toolTip_ = nullptr;
    std::wstring tipText_;
    std::wstring linkTarget_;
};
