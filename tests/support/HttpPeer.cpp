#include "tests/support/HttpPeer.h"

#include <wincrypt.h>

#include <cstdlib>

namespace testing_support {

namespace {

std::string Base64(const std::string& bytes)
{
    DWORD size = 0;
    const DWORD flags = CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF;
    const BYTE* data = reinterpret_cast<const BYTE*>(bytes.data());
    CryptBinaryToStringA(data, static_cast<DWORD>(bytes.size()), flags, nullptr, &size);
    std::string text(size, '\0');
    CryptBinaryToStringA(data, static_cast<DWORD>(bytes.size()), flags, &text[0], &size);
    text.resize(size);
    return text;
}

std::string ReadAll(SOCKET s, DWORD waitMs)
{
    std::string bytes;
    ULONGLONG until = GetTickCount64() + waitMs;
    for (ULONGLONG now = GetTickCount64(); now < until; now = GetTickCount64()) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(s, &readable);
        ULONGLONG left = until - now;
        timeval wait = {static_cast<long>(left / 1000), static_cast<long>(left % 1000) * 1000};
        if (select(0, &readable, nullptr, nullptr, &wait) <= 0) break;
        char buffer[8192];
        int got = recv(s, buffer, sizeof(buffer), 0);
        if (got <= 0) break;
        bytes.append(buffer, static_cast<size_t>(got));
    }
    return bytes;
}

HttpAnswer ParseAnswer(const std::string& bytes)
{
    HttpAnswer answer;
    size_t end = bytes.find("\r\n\r\n");
    if (bytes.compare(0, 9, "HTTP/1.1 ") != 0 || end == std::string::npos) return answer;
    // "100 Continue" only says that the body may come: the answer follows it.
    if (bytes.compare(9, 4, "100 ") == 0) return ParseAnswer(bytes.substr(end + 4));
    answer.status = std::atoi(bytes.c_str() + 9);
    answer.head = bytes.substr(0, end);
    answer.body = bytes.substr(end + 4);
    return answer;
}

}  // namespace

SOCKET ConnectFrom(uint16_t port, const char* from)
{
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return s;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = inet_addr(from);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(port);
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(s, reinterpret_cast<sockaddr*>(&local), sizeof(local)) == 0 &&
        connect(s, reinterpret_cast<sockaddr*>(&server), sizeof(server)) == 0)
        return s;
    closesocket(s);
    return INVALID_SOCKET;
}

HttpAnswer Exchange(uint16_t port, const std::string& raw, const char* from, DWORD waitMs)
{
    SOCKET s = ConnectFrom(port, from);
    if (s == INVALID_SOCKET) return HttpAnswer();
    for (size_t sent = 0; sent < raw.size();) {
        int n = send(s, raw.data() + sent, static_cast<int>(raw.size() - sent), 0);
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
    }
    shutdown(s, SD_SEND);
    std::string bytes = ReadAll(s, waitMs);
    closesocket(s);
    HttpAnswer answer = ParseAnswer(bytes);
    answer.raw = bytes;
    return answer;
}

std::string Request(const std::string& method, const std::string& path, const std::string& password,
                    const std::string& body)
{
    std::string raw = method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
    if (!password.empty()) raw += "Authorization: Basic " + Base64("console:" + password) + "\r\n";
    if (!body.empty() || method == "POST")
        raw += "Content-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
    return raw + "\r\n" + body;
}

}  // namespace testing_support
