#pragma once
#include <windows.h>

namespace kit {

// The module whose resources (dialog templates, icons, menus, cursors) the calling
// code loads. Defaults to the program file; a library switches it to itself in
// every export that shows a window or loads a resource.
HINSTANCE ResourceInstance();

// Switches the resource module of this thread for the lifetime of the object and
// restores the previous one on every return path.
class ModuleStateScope {
public:
    explicit ModuleStateScope(HINSTANCE module);
    ~ModuleStateScope();
    ModuleStateScope(const ModuleStateScope&) = delete;
    ModuleStateScope& operator=(const ModuleStateScope&) = delete;

private:
    HINSTANCE previous_;
};

}  // namespace kit
