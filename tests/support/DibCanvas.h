#pragma once
// A 32-bit top-down DIB section, filled with kUntouched, to draw into and read back.
#include <windows.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

namespace testing_support {

constexpr COLORREF kUntouched = RGB(255, 0, 255);

class DibCanvas {
public:
    DibCanvas(int width, int height) : width_(width), height_(height)
    {
        header_.biSize = sizeof(header_);
        header_.biWidth = width;
        header_.biHeight = -height;
        header_.biPlanes = 1;
        header_.biBitCount = 32;
        header_.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, reinterpret_cast<BITMAPINFO*>(&header_), DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<DWORD*>(bits);
        previous_ = SelectObject(dc_, bitmap_);
        for (int i = 0; i < width * height; ++i) bits_[i] = 0xFF00FF;
    }
    ~DibCanvas()
    {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;

    HDC dc() const { return dc_; }

    COLORREF Pixel(int x, int y) const
    {
        GdiFlush();
        DWORD value = bits_[y * width_ + x];
        return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    }

    // Pixels of the colour in [left, right) x [top, bottom); -1 for the far edges.
    int Count(COLORREF colour, int left = 0, int top = 0, int right = -1, int bottom = -1) const
    {
        return CountWhere(left, top, right, bottom, [&](COLORREF pixel) { return pixel == colour; });
    }

    // Pixels of [left, right) x [top, bottom) that are none of the colours.
    int CountOther(int left, int top, int right, int bottom, std::initializer_list<COLORREF> colours) const
    {
        return CountWhere(left, top, right, bottom, [&](COLORREF pixel) {
            for (COLORREF colour : colours)
                if (pixel == colour) return false;
            return true;
        });
    }

    int Touched() const { return width_ * height_ - Count(kUntouched); }

    bool SaveBmp(const std::wstring& path) const
    {
        GdiFlush();
        // GDI leaves the fourth byte at 0, which viewers take for transparency.
        std::vector<DWORD> opaque(bits_, bits_ + width_ * height_);
        for (DWORD& pixel : opaque) pixel |= 0xFF000000u;
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof(file) + sizeof(header_);
        file.bfSize = file.bfOffBits + static_cast<DWORD>(opaque.size() * sizeof(DWORD));
        FILE* out = _wfopen(path.c_str(), L"wb");
        if (!out) return false;
        bool written = fwrite(&file, sizeof(file), 1, out) == 1 && fwrite(&header_, sizeof(header_), 1, out) == 1 &&
                       fwrite(opaque.data(), opaque.size() * sizeof(DWORD), 1, out) == 1;
        fclose(out);
        return written;
    }

private:
    template <typename Matches>
    int CountWhere(int left, int top, int right, int bottom, Matches matches) const
    {
        if (right < 0) right = width_;
        if (bottom < 0) bottom = height_;
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) count += matches(Pixel(x, y)) ? 1 : 0;
        return count;
    }

    int width_;
    int height_;
    BITMAPINFOHEADER header_ = {};
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    DWORD* bits_ = nullptr;
};

}  // namespace testing_support
