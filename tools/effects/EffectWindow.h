#pragma once
// The frame shared by the demo effects: one full-screen window titled "Solmira" (the
// title by which the system finds a running effect), a steady frame timer, drawing
// without flicker through an off-screen bitmap. Esc or Alt+F4 ends the effect.
#include <windows.h>

namespace demo {

class Scene {
public:
    virtual ~Scene() = default;
    // Once, when the screen size is known.
    virtual void Resize(int width, int height) = 0;
    // The pointer moved (`pressed` while a button is held) or was pressed.
    virtual void OnPointer(POINT at, bool pressed) = 0;
    virtual void OnPress(POINT at) = 0;
    // One frame step, about 33 times a second.
    virtual void Step() = 0;
    virtual void Draw(HDC dc) = 0;
};

// Shows `scene` full-screen on the primary monitor until the window is closed; returns
// the process exit code.
int RunEffect(HINSTANCE instance, Scene& scene);

}  // namespace demo
