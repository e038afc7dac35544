// Demo native effect: water ripples that spread from where the pointer moves or presses.
#include <windows.h>

#include <cmath>
#include <vector>

#include "EffectWindow.h"

namespace {

struct Ripple {
    float x, y;
    float radius;
    float reach;  // the radius at which it has faded out
};

COLORREF Mix(COLORREF from, COLORREF to, float amount)
{
    auto channel = [amount](int a, int b) { return static_cast<BYTE>(a + (b - a) * amount); };
    return RGB(channel(GetRValue(from), GetRValue(to)), channel(GetGValue(from), GetGValue(to)),
               channel(GetBValue(from), GetBValue(to)));
}

class RippleScene : public demo::Scene {
public:
    void Resize(int width, int height) override
    {
        width_ = width;
        height_ = height;
    }

    void OnPointer(POINT at, bool pressed) override
    {
        const float dx = at.x - last_.x, dy = at.y - last_.y;
        // A ripple every few centimetres of movement, not on every mouse message.
        if (dx * dx + dy * dy < 40.0f * 40.0f) return;
        last_ = at;
        Add(at, pressed ? 260.0f : 140.0f);
    }

    void OnPress(POINT at) override { Add(at, 420.0f); }

    void Step() override
    {
        phase_ += 0.02f;
        for (Ripple& ripple : ripples_) ripple.radius += 4.0f;
        std::vector<Ripple> alive;
        for (const Ripple& ripple : ripples_) {
            if (ripple.radius < ripple.reach) alive.push_back(ripple);
        }
        ripples_.swap(alive);
        // A calm surface still moves a little.
        if (ripples_.size() < 3 && (++idleFrames_ % 25) == 0) {
            Add(POINT{static_cast<LONG>(width_ / 2 + std::cos(phase_ * 3) * width_ / 3),
                      static_cast<LONG>(height_ / 2 + std::sin(phase_ * 5) * height_ / 3)},
                200.0f);
        }
    }

    void Draw(HDC dc) override
    {
        DrawWater(dc);
        SelectObject(dc, GetStockObject(NULL_BRUSH));
        for (const Ripple& ripple : ripples_) {
            const float fade = ripple.radius / ripple.reach;
            for (int ring = 0; ring < 3; ++ring) {
                const float radius = ripple.radius - ring * 14.0f;
                if (radius <= 0) continue;
                const COLORREF colour = Mix(RGB(200, 240, 255), kDeep, std::fmin(1.0f, fade + ring * 0.2f));
                HPEN pen = CreatePen(PS_SOLID, 3 - ring, colour);
                HGDIOBJ previous = SelectObject(dc, pen);
                Ellipse(dc, static_cast<int>(ripple.x - radius), static_cast<int>(ripple.y - radius),
                        static_cast<int>(ripple.x + radius), static_cast<int>(ripple.y + radius));
                SelectObject(dc, previous);
                DeleteObject(pen);
            }
        }
    }

private:
    static constexpr COLORREF kDeep = RGB(6, 40, 72);

    void Add(POINT at, float reach)
    {
        if (ripples_.size() >= 48) ripples_.erase(ripples_.begin());
        ripples_.push_back(Ripple{static_cast<float>(at.x), static_cast<float>(at.y), 2.0f, reach});
        idleFrames_ = 0;
    }

    void DrawWater(HDC dc)
    {
        const int bands = 24;
        for (int band = 0; band < bands; ++band) {
            const float depth = static_cast<float>(band) / bands;
            const float shimmer = 0.06f * std::sin(phase_ * 2 + band * 0.7f);
            HBRUSH brush = CreateSolidBrush(Mix(RGB(20, 110, 150), kDeep, std::fmax(0.0f, depth + shimmer)));
            RECT rect{0, height_ * band / bands, width_, height_ * (band + 1) / bands};
            FillRect(dc, &rect, brush);
            DeleteObject(brush);
        }
    }

    std::vector<Ripple> ripples_;
    POINT last_{-1000, -1000};
    int width_ = 0, height_ = 0;
    float phase_ = 0.0f;
    int idleFrames_ = 0;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    RippleScene scene;
    return demo::RunEffect(instance, scene);
}
