#include "launcher/playback/ResumeState.h"

#include <cstdio>

#include <nlohmann/json.hpp>

#include "framework/FileBytes.h"
#include "framework/Utf8.h"

namespace launcher {
namespace {

// The status file is a few kilobytes; anything far larger is not it.
constexpr size_t kLargestStatus = 256 * 1024;

}  // namespace

bool ParseIsoTime(const std::string& text, ULONGLONG& utc)
{
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, offsetHours = 0, offsetMinutes = 0;
    char sign = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), "%4u-%2u-%2uT%2u:%2u:%2u%c%2u:%2u%n", &year, &month, &day, &hour, &minute, &second,
                    &sign, &offsetHours, &offsetMinutes, &used) != 9 ||
        static_cast<size_t>(used) != text.size() || (sign != '+' && sign != '-') || offsetHours > 14 ||
        offsetMinutes > 59)
        return false;
    SYSTEMTIME local{};
    local.wYear = static_cast<WORD>(year);
    local.wMonth = static_cast<WORD>(month);
    local.wDay = static_cast<WORD>(day);
    local.wHour = static_cast<WORD>(hour);
    local.wMinute = static_cast<WORD>(minute);
    local.wSecond = static_cast<WORD>(second);
    FILETIME file{};
    if (!SystemTimeToFileTime(&local, &file)) return false;
    long long offset = (offsetHours * 60LL + offsetMinutes) * 60LL * 10000000LL;
    ULONGLONG value = (static_cast<ULONGLONG>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
    utc = sign == '+' ? value - offset : value + offset;
    return true;
}

ResumeState ReadResumeState(const std::wstring& statusFile, ULONGLONG nowUtc)
{
    ResumeState resume;
    std::string bytes;
    if (!kit::ReadFileBytes(statusFile, bytes, kLargestStatus)) return resume;
    nlohmann::json status = nlohmann::json::parse(bytes, nullptr, false);
    if (status.is_discarded() || !status.is_object()) return resume;
    const auto& state = status.value("state", nlohmann::json());
    if (!state.is_string()) return resume;
    resume.state = state.get<std::string>();
    const auto& effect = status.value("effect", nlohmann::json());
    if (effect.is_string()) resume.effect = kit::FromUtf8(effect.get<std::string>());
    const auto& pid = status.value("pid", nlohmann::json());
    if (pid.is_number_unsigned() && pid.get<unsigned long long>() <= 0xFFFFFFFFull) resume.pid = pid.get<DWORD>();
    const auto& rotation = status.value("rotation", nlohmann::json());
    if (rotation.is_object()) {
        const auto& index = rotation.value("index", nlohmann::json());
        if (index.is_number_integer() && index.get<long long>() >= 0 && index.get<long long>() < 1000000) {
            resume.rotation = true;
            resume.index = index.get<int>();
        }
        const auto& nextAt = rotation.value("nextAt", nlohmann::json());
        ULONGLONG due = 0;
        if (nextAt.is_string() && ParseIsoTime(nextAt.get<std::string>(), due)) {
            resume.due = true;
            resume.leftMs = due > nowUtc ? (due - nowUtc) / 10000 : 0;
        }
    }
    const auto& schedule = status.value("schedule", nlohmann::json());
    if (schedule.is_object()) {
        auto suspended = schedule.find("suspended");
        resume.scheduleSuspended = suspended != schedule.end() && suspended->is_boolean() && suspended->get<bool>();
    }
    resume.valid = true;
    return resume;
}

}  // namespace launcher
