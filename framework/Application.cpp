#include "framework/Application.h"

namespace kit {
namespace {
Application* g_current = nullptr;
}

Application::Application()
{
    g_current = this;
}

Application::~Application()
{
    if (g_current == this) g_current = nullptr;
}

Application* Application::Current()
{
    return g_current;
}

bool Application::OnCommand(WORD id)
{
    if (id == kCommandAppExit) {
        if (mainWindow_) SendMessageW(mainWindow_, WM_CLOSE, 0, 0);
        return true;
    }
    return false;
}

int Application::Run(HINSTANCE instance)
{
    instance_ = instance;
    int code = 0;
    if (InitInstance()) {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        code = static_cast<int>(msg.wParam);
    }
    int exitCode = ExitInstance();
    return exitCode ? exitCode : code;
}

}  // namespace kit
