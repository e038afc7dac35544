#pragma once
// A black window on which the user sketches the interactive area of a special projection:
// a band across the picture or a circle, typed in as fractions and drawn at once. Nothing
// it shows is stored.
#include <windows.h>

#include <memory>

#include "core/settings/CLabel.h"
#include "framework/Dialog.h"

namespace Gdiplus {
class Bitmap;
}

class CDlgScreenArea : public kit::Dialog {
public:
    enum AreaType { Band = 0, Circle = 1 };

    explicit CDlgScreenArea(HWND parent = nullptr);
    ~CDlgScreenArea() override;

    // The ellipse that stands for a true circle on the whole screen, in a client area of
    // width w and height h; fractions as typed, pixels truncated toward zero.
    static RECT CircleRect(float centerX, float centerY, float radius, int w, int h, int screenWidth,
                           int screenHeight);

    int Type() const { return areaType_; }
    RECT Corridor() const { return corridorRect_; }
    RECT ExitRect() const { return exitRect_; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

private:
    void ApplyType();
    // Edits to values (true) or values to edits (false); false while filling is under way.
    bool UpdateData(bool fromEdits);
    void OnValueChanged(int id);
    void Draw(HDC dc);
    void OnLeftButtonDown(POINT point);
    SIZE ClientSize() const;

    RECT corridorRect_{};
    std::unique_ptr<Gdiplus::Bitmap> exitImage_;
    RECT exitRect_{};  // where the exit picture was last drawn; empty without a picture
    float leftFraction_ = 0.2f;
    float rightFraction_ = 0.8f;
    float circleCenterX_ = 0.5f;
    float circleCenterY_ = 0.5f;
    float editValue1_ = 0.0f;
    float editValue2_ = 1.0f;
    float circleRadius_ = 0.5f;
    int areaType_ = Band;
    bool filling_ = false;
    CLabel labels_[4];  // the captions of the edits and of the shape choice
};
