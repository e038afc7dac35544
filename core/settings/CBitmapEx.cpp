#include "core/settings/CBitmapEx.h"

#include <objidl.h>
#include <gdiplus.h>

namespace UICONTROL {

CBitmapEx::CBitmapEx() = default;

CBitmapEx::~CBitmapEx()
{
    if (bitmap_) DeleteObject(bitmap_);
}

bool CBitmapEx::LoadFromFile(const std::wstring& path)
{
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    std::unique_ptr<Gdiplus::Image> image(new Gdiplus::Image(path.c_str()));
    // A file that is not a picture leaves what was loaded before.
    if (image->GetLastStatus() != Gdiplus::Ok) return false;
    image_ = std::move(image);
    path_ = path;
    return true;
}

void CBitmapEx::Attach(HBITMAP bitmap)
{
    if (bitmap_ && bitmap_ != bitmap) DeleteObject(bitmap_);
    bitmap_ = bitmap;
}

SIZE CBitmapEx::BitmapSize() const
{
    BITMAP info = {};
    if (bitmap_ && GetObjectW(bitmap_, sizeof(info), &info)) return {info.bmWidth, info.bmHeight};
    return {0, 0};
}

int CBitmapEx::Width() const
{
    if (bitmap_) return BitmapSize().cx;
    return image_ ? static_cast<int>(image_->GetWidth()) : 0;
}

int CBitmapEx::Height() const
{
    if (bitmap_) return BitmapSize().cy;
    return image_ ? static_cast<int>(image_->GetHeight()) : 0;
}

void CBitmapEx::DrawAt(int x, int y, HDC dc)
{
    if (!dc || !image_) return;
    int width = static_cast<int>(image_->GetWidth());
    int height = static_cast<int>(image_->GetHeight());
    drawnRect_ = {x, y, x + width, y + height};
    Gdiplus::Graphics graphics(dc);
    graphics.DrawImage(image_.get(), x, y, width, height);
}

}  // namespace UICONTROL
