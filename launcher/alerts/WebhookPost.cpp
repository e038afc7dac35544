#include "launcher/alerts/WebhookPost.h"

#include <windows.h>

#include <winhttp.h>

#include <string>

namespace alerts {

namespace {

struct Internet {
    HINTERNET handle = nullptr;
    explicit Internet(HINTERNET h) : handle(h) {}
    ~Internet()
    {
        if (handle) WinHttpCloseHandle(handle);
    }
    Internet(const Internet&) = delete;
    Internet& operator=(const Internet&) = delete;
};

std::wstring Problem(const wchar_t* step)
{
    return std::wstring(step) + L" failed (error " + std::to_wstring(GetLastError()) + L")";
}

}  // namespace

PostResult PostWebhook(const std::wstring& address, const std::string& body, const std::string& signature,
                       int timeoutMs)
{
    PostResult result;
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof parts;
    wchar_t host[256] = {};
    wchar_t path[2048] = {};
    parts.lpszHostName = host;
    parts.dwHostNameLength = ARRAYSIZE(host);
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = ARRAYSIZE(path);
    wchar_t extra[2048] = {};
    parts.lpszExtraInfo = extra;
    parts.dwExtraInfoLength = ARRAYSIZE(extra);
    if (!WinHttpCrackUrl(address.c_str(), 0, 0, &parts)) {
        result.problem = L"the address cannot be read";
        return result;
    }
    bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    std::wstring target = std::wstring(path[0] ? path : L"/") + extra;

    Internet session(WinHttpOpen(L"Pavora", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                 WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session.handle) {
        result.problem = Problem(L"WinHttpOpen");
        return result;
    }
    WinHttpSetTimeouts(session.handle, timeoutMs, timeoutMs, timeoutMs, timeoutMs);
    Internet connection(WinHttpConnect(session.handle, host, parts.nPort, 0));
    if (!connection.handle) {
        result.problem = Problem(L"connecting");
        return result;
    }
    Internet request(WinHttpOpenRequest(connection.handle, L"POST", target.c_str(), nullptr, WINHTTP_NO_REFERER,
                                        WINHTTP_DEFAULT_ACCEPT_TYPES, secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request.handle) {
        result.problem = Problem(L"opening the request");
        return result;
    }
    // A webhook that sends us elsewhere gets no second copy of the body.
    DWORD noRedirects = WINHTTP_DISABLE_REDIRECTS;
    WinHttpSetOption(request.handle, WINHTTP_OPTION_DISABLE_FEATURE, &noRedirects, sizeof noRedirects);
    std::wstring headers = L"Content-Type: application/json\r\n";
    if (!signature.empty()) headers += L"X-Pavora-Signature: " + std::wstring(signature.begin(), signature.end()) + L"\r\n";
    if (!WinHttpSendRequest(request.handle, headers.c_str(), static_cast<DWORD>(-1L), const_cast<char*>(body.data()),
                            static_cast<DWORD>(body.size()), static_cast<DWORD>(body.size()), 0) ||
        !WinHttpReceiveResponse(request.handle, nullptr)) {
        result.problem = Problem(L"sending");
        return result;
    }
    DWORD status = 0;
    DWORD size = sizeof status;
    WinHttpQueryHeaders(request.handle, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                        &status, &size, WINHTTP_NO_HEADER_INDEX);
    result.status = static_cast<int>(status);
    // Read (and discard) a little of the answer so the connection ends cleanly; never more.
    char answer[kAnswerLimit];
    DWORD total = 0;
    DWORD read = 0;
    while (total < sizeof answer &&
           WinHttpReadData(request.handle, answer + total, static_cast<DWORD>(sizeof answer - total), &read) && read > 0)
        total += read;
    result.delivered = status >= 200 && status < 300;
    if (!result.delivered) result.problem = L"the webhook answered " + std::to_wstring(status);
    return result;
}

}  // namespace alerts
