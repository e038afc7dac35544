#include "launcher/alerts/AlertSettings.h"

#include <windows.h>

#include "framework/BoundedNumber.h"
#include "framework/Utf8.h"

namespace alerts {

namespace {

std::wstring Text(const wchar_t* file, const wchar_t* key)
{
    wchar_t value[2048] = {};
    GetPrivateProfileStringW(L"alerts", key, L"", value, ARRAYSIZE(value), file);
    return value;
}

bool StartsWith(const std::wstring& text, const wchar_t* start)
{
    return _wcsnicmp(text.c_str(), start, wcslen(start)) == 0;
}

}  // namespace

std::wstring AlertSettings::ShownAddress() const
{
    size_t host = webhook.find(L"://");
    size_t path = webhook.find_first_of(L"/?#", host == std::wstring::npos ? 0 : host + 3);
    return path == std::wstring::npos ? webhook : webhook.substr(0, path) + L"/…";
}

AlertSettings AlertSettings::Read(const wchar_t* file)
{
    AlertSettings s;
    s.webhook = Text(file, L"webhook");
    if (!s.webhook.empty() && !StartsWith(s.webhook, L"http://") && !StartsWith(s.webhook, L"https://")) {
        s.notes.push_back(L"[alerts] webhook is no http:// or https:// address; no alerts are sent");
        s.webhook.clear();
    }
    s.secret = kit::ToUtf8(Text(file, L"secret"));
    s.maxPerHour = kit::ReadBoundedNumber(file, L"alerts", L"maxperhour", 12, 1, 3600, s.notes);
    return s;
}

}  // namespace alerts
