#include "launcher/SettingsWrites.h"

namespace launcher {
namespace {

const wchar_t* const kSettingsFiles[] = {L"Bin\\config.ini", L"data\\EffectPath.xml", L"data\\ConfigLight.xml",
                                         L"data\\ConfigSign.xml", L"data\\ConfigLaser.xml", L"data\\ConfigDI.xml",
                                         L"data\\multiplexer_settings.xml", L"data\\Schedule.xml"};

}  // namespace

SettingsWrites::SettingsWrites() : before_(Times()) {}

std::vector<ULONGLONG> SettingsWrites::Times()
{
    std::vector<ULONGLONG> times;
    for (const wchar_t* file : kSettingsFiles) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ULONGLONG time = 0;
        if (GetFileAttributesExW(file, GetFileExInfoStandard, &data))
            time = (static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
        times.push_back(time);
    }
    return times;
}

std::vector<std::wstring> SettingsWrites::Changed() const
{
    std::vector<ULONGLONG> after = Times();
    std::vector<std::wstring> changed;
    for (size_t i = 0; i < after.size(); ++i)
        if (before_[i] != after[i]) changed.push_back(kSettingsFiles[i]);
    return changed;
}

}  // namespace launcher
