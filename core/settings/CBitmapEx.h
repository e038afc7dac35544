#pragma once
#include <windows.h>

#include <memory>
#include <string>

namespace Gdiplus {
class Image;
}

namespace UICONTROL {

// A picture from a file drawn at a point at its own size; remembers where it was drawn
// so that clicks can be tested against it.
class CBitmapEx {
public:
    CBitmapEx();
    ~CBitmapEx();
    CBitmapEx(const CBitmapEx&) = delete;
    CBitmapEx& operator=(const CBitmapEx&) = delete;

    // False, changing nothing, when the file does not exist.
    bool LoadFromFile(const std::wstring& path);
    // A GDI bitmap the object then owns; its size wins over the picture's.
    void Attach(HBITMAP bitmap);

    int Width() const;
    int Height() const;
    void DrawAt(int x, int y, HDC dc);

    const RECT& DrawnRect() const { return drawnRect_; }
    bool HasPicture() const { return image_ != nullptr; }
    const std::wstring& Path() const { return path_; }

private:
    SIZE BitmapSize() const;

    RECT drawnRect_ = {};
    COLORREF colour_ = RGB(255, 255, 255);
    std::wstring path_;
    std::unique_ptr<Gdiplus::Image> image_;
    HBITMAP bitmap_ = nullptr;
};

}  // namespace UICONTROL
