#pragma once
// The library's effect programs, through its exports, with the system's reason when a start
// fails (the export says only that it did).
#include "launcher/playback/Playback.h"

namespace launcher {

class LibraryEffects : public EffectPrograms {
public:
    bool StartProgram(const std::wstring& path, std::wstring& why) override;
    int StopProgram(const std::wstring& path) override;
    bool IsNativeEffect(const std::wstring& path) override;
    HWND FindEffectWindow() override;
};

}  // namespace launcher
