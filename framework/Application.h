#pragma once
#include <windows.h>

#include <string>

namespace kit {

// One per module (program or library). The program's object runs InitInstance from
// its entry point; a library's object runs it from DllMain.
class Application {
public:
    Application();
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }

    // Commands that no window handled. The framework's exit command closes the main window.
    virtual bool OnCommand(WORD id);

    HWND MainWindow() const { return mainWindow_; }
    void SetMainWindow(HWND window) { mainWindow_ = window; }
    HINSTANCE Instance() const { return instance_; }
    // The module's file name without folder and extension: the caption of the framework's own boxes.
    std::wstring Title() const;
    void SetInstance(HINSTANCE instance) { instance_ = instance; }

    // The application object of the calling module (each module links its own copy of this framework).
    static Application* Current();

    // Runs InitInstance; when it returns false the program ends without a message loop of its own.
    int Run(HINSTANCE instance);

private:
    HWND mainWindow_ = nullptr;
    HINSTANCE instance_ = nullptr;
};

// A module's file name without folder and extension (null: the program file).
std::wstring ModuleTitle(HMODULE module);

constexpr WORD kCommandAppExit = 57665;  // 0xE141

}  // namespace kit
