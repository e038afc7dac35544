#include "launcher/health/HealthSettings.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

#include "framework/BoundedNumber.h"

namespace health {

namespace {

std::wstring Lower(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(), towlower);
    return text;
}

std::wstring Trim(const std::wstring& text)
{
    size_t first = text.find_first_not_of(L" \t");
    return first == std::wstring::npos ? std::wstring() : text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

}  // namespace

HealthSettings HealthSettings::Read(const wchar_t* file)
{
    HealthSettings s;
    auto number = [&](const wchar_t* key, DWORD fallback, DWORD lowest, DWORD highest) {
        return kit::ReadBoundedNumber(file, L"health", key, fallback, lowest, highest, s.notes);
    };
    // The picture is looked at once a second: less than two looks cannot tell a dark frame
    // from a black effect.
    s.blackSeconds = number(L"blackseconds", s.blackSeconds, 0, 86400);
    if (s.blackSeconds == 1) s.blackSeconds = 2;
    s.frozenSeconds = number(L"frozenseconds", s.frozenSeconds, 0, 86400);
    if (s.frozenSeconds == 1) s.frozenSeconds = 2;
    s.heartbeat = number(L"heartbeat", 0, 0, 1) != 0;
    s.heartbeatPort = number(L"heartbeatport", s.heartbeatPort, 1, 65535);
    s.heartbeatSeconds = number(L"heartbeatseconds", s.heartbeatSeconds, 1, 86400);

    // Bounded as every file read is; a longer section is cut and said so.
    std::vector<wchar_t> section(32 * 1024);
    DWORD got = GetPrivateProfileSectionW(L"frozen", section.data(), static_cast<DWORD>(section.size()), file);
    if (got + 2 >= section.size()) s.notes.push_back(L"[frozen] is longer than 32 KB: only its first entries are read");
    for (const wchar_t* line = section.data(); *line; line += wcslen(line) + 1) {
        std::wstring text(line);
        size_t equals = text.find(L'=');
        std::wstring key = Lower(Trim(text.substr(0, equals)));
        if (key.empty() || key[0] == L';') continue;
        wchar_t* end = nullptr;
        std::wstring value = equals == std::wstring::npos ? std::wstring() : Trim(text.substr(equals + 1));
        long long asked = std::wcstoll(value.c_str(), &end, 10);
        if (value.empty() || *end) {
            s.notes.push_back(L"[frozen] " + text + L" is no whole number of seconds; ignored");
            continue;
        }
        // Held in range as every other setting is: dropping it would leave the entry to the
        // installation's own limit, which may be off.
        DWORD seconds = static_cast<DWORD>(std::min(std::max(asked, 0LL), 86400LL));
        if (seconds != asked)
            s.notes.push_back(L"[frozen] " + text + L" is outside 0 to 86400; " + std::to_wstring(seconds) + L" is used");
        s.frozenFor[key] = seconds == 1 ? 2 : seconds;
    }
    return s;
}

DWORD HealthSettings::FrozenSecondsFor(const std::wstring& path) const
{
    std::wstring lower = Lower(path);
    auto found = frozenFor.find(lower);
    if (found == frozenFor.end()) found = frozenFor.find(lower.substr(lower.find_last_of(L"\\/") + 1));
    return found == frozenFor.end() ? frozenSeconds : found->second;
}

}  // namespace health
