#pragma once
// A scratch installation folder, with Bin\ and data\, that is the current directory
// while the object lives: the library's relative paths read and write the test's files.
#include <windows.h>

#include <string>

#include "core/frame/LibraryState.h"
#include "core/text/ConfigFile.h"
#include "tests/support/ScratchFolder.h"

namespace testing_support {

class InstallFolder : public testing_support::ScratchFolder {
public:
    explicit InstallFolder(const std::wstring& name) : ScratchFolder(name)
    {
        CreateDirectoryW(L"Bin", nullptr);
        CreateDirectoryW(L"data", nullptr);
        ForgetCachedConfig();
    }
    ~InstallFolder() { ForgetCachedConfig(); }

    bool Exists(const std::wstring& relative) const
    {
        return GetFileAttributesW((Path() + L"\\" + relative).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    void WriteConfig(const std::string& ini) const
    {
        Write(L"Bin\\config.ini", ini);
        ForgetCachedConfig();
    }

private:
    // The private-profile functions may keep a copy of an earlier configuration file.
    static void ForgetCachedConfig() { WritePrivateProfileStringW(nullptr, nullptr, nullptr, tessaly::config::kPath); }
};

// The library-wide device type, put back when the test ends.
class DeviceTypeScope {
public:
    explicit DeviceTypeScope(int type) : previous_(deviceType) { deviceType = type; }
    ~DeviceTypeScope() { deviceType = previous_; }
    DeviceTypeScope(const DeviceTypeScope&) = delete;
    DeviceTypeScope& operator=(const DeviceTypeScope&) = delete;

private:
    int previous_;
};

}  // namespace testing_support
