#include "launcher/remote/RemoteSettings.h"

#include "framework/BoundedNumber.h"
#include "framework/Utf8.h"

namespace remote {

namespace {

std::wstring Text(const wchar_t* file, const wchar_t* key, const wchar_t* fallback)
{
    // A longer value is no password or address list anyone typed.
    wchar_t value[1024] = {};
    GetPrivateProfileStringW(L"remote", key, fallback, value, ARRAYSIZE(value), file);
    return value;
}

}  // namespace

RemoteSettings RemoteSettings::Read(const wchar_t* file)
{
    RemoteSettings s;
    s.http = static_cast<WORD>(kit::ReadBoundedNumber(file, L"remote", L"http", 0, 0, 65535, s.notes));
    s.tcp = static_cast<WORD>(kit::ReadBoundedNumber(file, L"remote", L"tcp", 0, 0, 65535, s.notes));
    s.udp = static_cast<WORD>(kit::ReadBoundedNumber(file, L"remote", L"udp", 0, 0, 65535, s.notes));
    s.osc = static_cast<WORD>(kit::ReadBoundedNumber(file, L"remote", L"osc", 0, 0, 65535, s.notes));
    s.password = kit::ToUtf8(Text(file, L"password", L""));
    std::wstring allow = Text(file, L"allow", L"127.0.0.1");
    std::wstring problem;
    if (!s.allow.Parse(allow, problem)) {
        s.notes.push_back(L"[remote] allow=" + allow + L": " + problem + L"; only 127.0.0.1 may send commands");
        s.allow.Parse(L"127.0.0.1", problem);
    }
    return s;
}

}  // namespace remote
