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

std::wstring Application::Title() const
{
    return ModuleTitle(instance_);
}

std::wstring ModuleTitle(HMODULE module)
{
    wchar_t path[MAX_PATH + 1] = L"";
    DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    std::wstring name(path, length < MAX_PATH ? length : 0);
    size_t slash = name.rfind(L'\\');
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return name;
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
