// The effect shell: shows the picture named on its command line full-screen, with
// sparks that follow the pointer. Command-file effects start it with their picture.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <shellapi.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "EffectWindow.h"

namespace {

struct Spark {
    float x, y, dx, dy;
    float life;  // 1 when born, gone at 0
    COLORREF colour;
};

float Random(float low, float high)
{
    return low + (high - low) * static_cast<float>(std::rand()) / RAND_MAX;
}

class PictureScene : public demo::Scene {
public:
    explicit PictureScene(std::wstring picturePath) : picturePath_(std::move(picturePath)) {}

    ~PictureScene() override
    {
        if (picture_) {
            SelectObject(pictureDc_, previous_);
            DeleteObject(picture_);
            DeleteDC(pictureDc_);
        }
    }

    void Resize(int width, int height) override
    {
        width_ = width;
        height_ = height;
        LoadPicture();
    }

    void OnPointer(POINT at, bool pressed) override { Emit(at, pressed ? 10 : 4, 3.0f); }
    void OnPress(POINT at) override { Emit(at, 60, 9.0f); }

    void Step() override
    {
        // A few embers rise on their own, so that an untouched picture still lives.
        if (++frame_ % 6 == 0) {
            Emit(POINT{static_cast<LONG>(Random(0.0f, static_cast<float>(width_))), height_}, 1, 1.5f);
        }
        std::vector<Spark> alive;
        for (Spark spark : sparks_) {
            spark.x += spark.dx;
            spark.y += spark.dy;
            spark.dy -= 0.05f;  // they drift upwards, like embers
            spark.dx *= 0.97f;
            spark.life -= 0.02f;
            if (spark.life > 0) alive.push_back(spark);
        }
        sparks_.swap(alive);
    }

    void Draw(HDC dc) override
    {
        if (picture_) {
            BitBlt(dc, 0, 0, width_, height_, pictureDc_, 0, 0, SRCCOPY);
        } else {
            RECT all{0, 0, width_, height_};
            FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        }
        SelectObject(dc, GetStockObject(NULL_PEN));
        for (const Spark& spark : sparks_) {
            const float radius = 2.0f + 7.0f * spark.life;
            HBRUSH brush = CreateSolidBrush(spark.colour);
            HGDIOBJ previous = SelectObject(dc, brush);
            Ellipse(dc, static_cast<int>(spark.x - radius), static_cast<int>(spark.y - radius),
                    static_cast<int>(spark.x + radius), static_cast<int>(spark.y + radius));
            SelectObject(dc, previous);
            DeleteObject(brush);
        }
    }

private:
    void Emit(POINT at, int count, float speed)
    {
        static const COLORREF colours[] = {RGB(255, 214, 90), RGB(255, 150, 60), RGB(255, 250, 200),
                                           RGB(120, 220, 255)};
        for (int i = 0; i < count && sparks_.size() < 1500; ++i) {
            const float angle = Random(0.0f, 6.2832f);
            const float velocity = Random(0.3f, 1.0f) * speed;
            sparks_.push_back(Spark{static_cast<float>(at.x), static_cast<float>(at.y), std::cos(angle) * velocity,
                                    std::sin(angle) * velocity, Random(0.6f, 1.0f), colours[std::rand() % 4]});
        }
    }

    // Scaled once to cover the whole screen, keeping its proportions.
    void LoadPicture()
    {
        if (picturePath_.empty()) return;
        Gdiplus::Bitmap image(picturePath_.c_str());
        if (image.GetLastStatus() != Gdiplus::Ok || image.GetWidth() == 0 || image.GetHeight() == 0) return;
        HDC screen = GetDC(nullptr);
        pictureDc_ = CreateCompatibleDC(screen);
        picture_ = CreateCompatibleBitmap(screen, width_, height_);
        ReleaseDC(nullptr, screen);
        previous_ = SelectObject(pictureDc_, picture_);
        const float scale = std::fmax(static_cast<float>(width_) / image.GetWidth(),
                                      static_cast<float>(height_) / image.GetHeight());
        const float shownWidth = image.GetWidth() * scale, shownHeight = image.GetHeight() * scale;
        Gdiplus::Graphics graphics(pictureDc_);
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        graphics.DrawImage(&image, (width_ - shownWidth) / 2, (height_ - shownHeight) / 2, shownWidth, shownHeight);
    }

    std::wstring picturePath_;
    std::vector<Spark> sparks_;
    HDC pictureDc_ = nullptr;
    HBITMAP picture_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    int width_ = 0, height_ = 0;
    unsigned frame_ = 0;
};

std::wstring PictureArgument()
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring picture = arguments && count > 1 ? arguments[1] : L"";
    LocalFree(arguments);
    return picture;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    Gdiplus::GdiplusStartupInput startup;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &startup, nullptr) != Gdiplus::Ok) return 1;
    int result;
    {
        PictureScene scene(PictureArgument());
        result = demo::RunEffect(instance, scene);
    }
    Gdiplus::GdiplusShutdown(token);
    return result;
}
