#pragma once
#include <windows.h>

namespace kit {

// The module whose resources (dialog templates, icons, menus, cursors) the calling
// code loads. Defaults to the module that links this copy of the framework (each
// module links its own), on every thread; a library still switches it to itself in
// every export that shows a window or loads a resource.
HINSTANCE ResourceInstance();

// Switches the resource module of this thread for the lifetime of the object and
// restores the previous one on every return path.
// The module this copy of the framework is linked into.
HINSTANCE ThisModule();

// The window that modal dialogs and sheets without a parent of their own stand on
// (a library's host window handed over at start-up); null for none, and on every
// thread but the window's own.
HWND DefaultOwner();
void SetDefaultOwner(HWND window);

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
