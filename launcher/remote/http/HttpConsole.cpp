#include <memory>

#include "core/text/ConfigKeys.h"
#include "launcher/remote/Transport.h"
#include "launcher/remote/http/ConsolePage.h"
#include "launcher/remote/http/ConsoleServer.h"
#include "launcher/remote/http/PeerSlots.h"

namespace remote {

namespace {

std::wstring SystemText(DWORD error)
{
    wchar_t* text = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring said(text ? text : L"", text ? length : 0);
    if (text) LocalFree(text);
    while (!said.empty() && (said.back() == L'\n' || said.back() == L'\r' || said.back() == L' ' || said.back() == L'.'))
        said.pop_back();
    return (said.empty() ? std::wstring(L"error") : said) + L" (" + std::to_wstring(error) + L")";
}

class Winsock {
public:
    Winsock() : started_(WSAStartup(MAKEWORD(2, 2), &data_) == 0) {}
    ~Winsock()
    {
        if (started_) WSACleanup();
    }
    Winsock(const Winsock&) = delete;
    Winsock& operator=(const Winsock&) = delete;
    bool Started() const { return started_; }

private:
    WSADATA data_ = {};
    bool started_;
};

// The console: its server and the slots of its peers, listening from the start until the end.
class HttpConsole : public Transport {
public:
    HttpConsole(std::unique_ptr<Winsock> winsock, RemoteContext& context, SOCKET listening, std::string page)
        : winsock_(std::move(winsock)), server_(context, std::move(page)),
          slots_(listening, ConsoleServer::kMostPeers, [this](Peer& peer) { server_.Serve(peer); },
                 [this](uint32_t address) { server_.Refused(address); })
    {
    }
    bool Listening() const { return slots_.Listening(); }

private:
    std::unique_ptr<Winsock> winsock_;
    ConsoleServer server_;
    PeerSlots slots_;  // last: its peers' threads end before the server goes
};

}  // namespace

std::unique_ptr<Transport> StartHttpConsole(RemoteContext& context, std::wstring& problem)
{
    if (context.settings.password.empty()) {
        problem = L"[remote] password is not set";
        return nullptr;
    }
    auto winsock = std::make_unique<Winsock>();
    if (!winsock->Started()) {
        problem = L"the network cannot be used";
        return nullptr;
    }
    SOCKET listening = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listening == INVALID_SOCKET) {
        problem = L"no socket: " + SystemText(static_cast<DWORD>(WSAGetLastError()));
        return nullptr;
    }
    // Every interface: the allow-list, not the interface, decides who may send. Exclusive, so
    // that no other program can bind the same port and take the console's requests.
    BOOL exclusive = TRUE;
    setsockopt(listening, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive), sizeof(exclusive));
    sockaddr_in where{};
    where.sin_family = AF_INET;
    where.sin_addr.s_addr = htonl(INADDR_ANY);
    where.sin_port = htons(context.settings.http);
    if (bind(listening, reinterpret_cast<sockaddr*>(&where), sizeof(where)) != 0 || listen(listening, SOMAXCONN) != 0) {
        problem = L"the port cannot be had: " + SystemText(static_cast<DWORD>(WSAGetLastError()));
        closesocket(listening);
        return nullptr;
    }
    using tessaly::config::kLanguage;
    int language = static_cast<int>(GetPrivateProfileIntW(kLanguage.section, kLanguage.name, kLanguage.defaultValue,
                                                           (context.folder + L"\\Bin\\config.ini").c_str()));
    auto console =
        std::make_unique<HttpConsole>(std::move(winsock), context, listening, ConsolePage(language, context.text));
    if (!console->Listening()) {
        problem = L"no thread to accept on";
        return nullptr;
    }
    return console;
}

}  // namespace remote
