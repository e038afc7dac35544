#include "core/touch/SocketComm.h"

#include <process.h>

#include <algorithm>
#include <new>

#include "framework/UniqueSocket.h"
#include "framework/MessageBox.h"

namespace {

// Client threads end within one read wait once receiving is switched off; this leaves
// room for a loaded machine without letting a stuck peer hold the shutdown for long.
constexpr DWORD kClientJoinMs = 2000;

}  // namespace

CSocketComm& LibrarySocketServer()
{
    static CSocketComm server;
    return server;
}

CSocketComm::CSocketComm(std::wstring portText, size_t peerLimit)
    : portText_(std::move(portText)), peerLimit_(peerLimit), stopEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

CSocketComm::~CSocketComm()
{
    StopServer();
    // A thread that has not ended (or was ended holding it) may still touch the lock.
    if (abandoned_ || clientThreads_.load() != 0) {
        clientsLock.Abandon();
        stopEvent_.Release();
    }
}

void CSocketComm::DeliverData(const BYTE*, uint32_t) {}

void CSocketComm::DeliverEvent(uint32_t) {}

bool CSocketComm::StartSocketServer()
{
    WSADATA data = {};
    int result = WSAStartup(MAKEWORD(2, 0), &data);
    socketsStarted_ = result == 0;
    if (!socketsStarted_ || data.wVersion != MAKEWORD(2, 0)) {
        // Only a version that the library reported is worth a word; other failures are silent.
        bool versionKnown = socketsStarted_ || result == WSAVERNOTSUPPORTED;
        if (versionKnown && data.wVersion != MAKEWORD(2, 0))
            kit::ShowMessageBox(nullptr, L"Incorrect version of Winsock.dll found", L"Error", MB_OK);
        // Only a start that succeeded is undone: another user of Windows Sockets in this
        // process must keep its own.
        CleanupSockets();
        return false;
    }
    if (!acceptThread) serverMode = true;
    if (OpenListener()) StartAcceptThread();
    return true;
}

void CSocketComm::CleanupSockets()
{
    if (socketsStarted_) WSACleanup();
    socketsStarted_ = false;
}

uint16_t CSocketComm::ResolvePort(const std::wstring& text)
{
    if (!text.empty() && text[0] >= L'0' && text[0] <= L'9') {
        // Leading digits, as a C library conversion reads them; a number that is no port
        // is none, rather than the low 16 bits of it.
        unsigned long value = 0;
        for (wchar_t c : text) {
            if (c < L'0' || c > L'9') break;
            value = value * 10 + static_cast<unsigned long>(c - L'0');
            if (value > 0xFFFF) return 0;
        }
        return static_cast<uint16_t>(value);
    }
    int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return 0;
    std::string name(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &name[0], size, nullptr, nullptr);
    const servent* service = getservbyname(name.c_str(), "tcp");
    return service ? ntohs(static_cast<u_short>(service->s_port)) : 0;
}

bool CSocketComm::OpenListener()
{
    if (listener.load() != INVALID_SOCKET) return false;
    kit::UniqueSocket s(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!s) return false;

    uint16_t port = ResolvePort(portText_);
    if (port == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);

    BOOL reuse = TRUE;
    if (setsockopt(s.Get(), SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse), sizeof(reuse)) != 0 ||
        bind(s.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(s.Get(), SOMAXCONN) != 0)
        return false;
    listener.store(s.Release());
    return true;
}

bool CSocketComm::StartAcceptThread()
{
    if (acceptThread || listener.load() == INVALID_SOCKET) return false;
    uintptr_t thread = _beginthreadex(nullptr, 0, AcceptThreadMain, this, CREATE_SUSPENDED, nullptr);
    if (!thread) return false;
    acceptThread.Reset(reinterpret_cast<HANDLE>(thread));
    ResumeThread(acceptThread.Get());
    return true;
}

unsigned __stdcall CSocketComm::AcceptThreadMain(void* server)
{
    static_cast<CSocketComm*>(server)->ServeConnections();
    return 1;
}

void CSocketComm::ServeConnections()
{
    for (SOCKET s = listener.load(); s != INVALID_SOCKET; s = listener.load()) {
        kit::UniqueSocket peer(accept(s, nullptr, nullptr));
        if (!peer) {
            if (listener.load() == INVALID_SOCKET) return;  // a stop is in progress
            DeliverEvent(EventAcceptFailed);
            CloseListener();
            return;
        }
        // Beyond the limit the peer is turned away at once; the listener goes on.
        if (!AddClient(peer.Get())) continue;
        // A peer without a thread would be held and never read: it is let go instead.
        if (!StartClientThread(peer.Get())) {
            RemoveClient(peer.Get());
            continue;
        }
        // From here the peer's thread closes it, or the server's stop.
        peer.Release();
        DeliverEvent(EventAccepted);
    }
}

bool CSocketComm::AddClient(SOCKET peer)
{
    kit::CriticalSection::Lock lock(clientsLock);
    if (clients.size() >= peerLimit_) return false;
    try {
        clients.push_back(peer);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void CSocketComm::RemoveClient(SOCKET peer)
{
    kit::CriticalSection::Lock lock(clientsLock);
    auto found = std::find(clients.begin(), clients.end(), peer);
    if (found != clients.end()) clients.erase(found);
}

size_t CSocketComm::PeerCount() const
{
    kit::CriticalSection::Lock lock(clientsLock);
    return clients.size();
}

bool CSocketComm::StartClientThread(SOCKET peer)
{
    ClientStart* start = new (std::nothrow) ClientStart{this, peer};
    if (!start) return false;
    ++clientThreads_;
    uintptr_t thread = _beginthreadex(nullptr, static_cast<unsigned>(kClientStackReserve), ClientThreadMain, start,
                                      CREATE_SUSPENDED | STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!thread) {
        --clientThreads_;
        delete start;
        return false;
    }
    kit::UniqueHandle handle(reinterpret_cast<HANDLE>(thread));
    ResumeThread(handle.Get());
    return true;
}

unsigned __stdcall CSocketComm::ClientThreadMain(void* start)
{
    ClientStart given = *static_cast<ClientStart*>(start);
    delete static_cast<ClientStart*>(start);
    given.server->ClientLoop(given.peer);
    --given.server->clientThreads_;
    return 0;
}

void CSocketComm::ClientLoop(SOCKET peer)
{
    if (DrainPeer(peer)) return;
    RemoveClient(peer);
    closesocket(peer);
}

bool CSocketComm::DrainPeer(SOCKET peer)
{
    BYTE buffer[kChunkSize] = {};
    PeerWait wait(peer, stopEvent_.Get());
    while (receiveEnabled.load()) {
        int count = wait.Armed() ? wait.Read(buffer) : ReadWithTimeout(buffer, peer);
        if (count < 0) return false;
        SwitchToThread();
    }
    return true;
}

CSocketComm::PeerWait::PeerWait(SOCKET peer, HANDLE stop)
    : peer_(peer), stop_(stop), readable_(CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
    if (readable_ && stop_ && WSAEventSelect(peer_, readable_.Get(), FD_READ | FD_CLOSE) == 0) return;
    readable_.Reset();
}

CSocketComm::PeerWait::~PeerWait()
{
    // Detached while the socket is still ours: once closed, its handle may be a new peer's.
    if (readable_) WSAEventSelect(peer_, nullptr, 0);
}

int CSocketComm::PeerWait::Read(BYTE* buffer)
{
    for (;;) {
        int count = recv(peer_, reinterpret_cast<char*>(buffer), kChunkSize, 0);
        if (count > 0) return count;
        if (count == 0 || WSAGetLastError() != WSAEWOULDBLOCK) return -1;
        HANDLE events[] = {stop_, readable_.Get()};
        DWORD woke = WaitForMultipleObjects(2, events, FALSE, INFINITE);
        if (woke == WAIT_OBJECT_0) return 0;
        if (woke != WAIT_OBJECT_0 + 1) return -1;
    }
}

int CSocketComm::ReadWithTimeout(BYTE* buffer, SOCKET s)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval wait = {0, kReadWaitMs * 1000};
    if (select(0, &readable, nullptr, nullptr, &wait) <= 0) return 0;
    int count = recv(s, reinterpret_cast<char*>(buffer), kChunkSize, 0);
    return count < 1 ? -1 : count;
}

void CSocketComm::CloseListener()
{
    SOCKET s = listener.exchange(INVALID_SOCKET);
    if (s == INVALID_SOCKET) return;
    shutdown(s, SD_BOTH);
    closesocket(s);
}

void CSocketComm::StopServer()
{
    receiveEnabled.store(false);
    if (stopEvent_) SetEvent(stopEvent_.Get());
    if (listener.load() != INVALID_SOCKET) {
        CloseListener();
        Sleep(kListenerClosePauseMs);
    }
    if (acceptThread) {
        if (WaitForSingleObject(acceptThread.Get(), kAcceptJoinMs) != WAIT_OBJECT_0)
            TerminateThread(acceptThread.Get(), 1);
        acceptThread.Reset();
    }
    // The peers' threads use this object until they end, and their sockets until then.
    WaitForClientThreads(kClientJoinMs);
    if (abandoned_ || clientThreads_.load() > 0) return;
    std::vector<SOCKET> left;
    {
        kit::CriticalSection::Lock lock(clientsLock);
        left.swap(clients);
    }
    for (SOCKET peer : left) closesocket(peer);
}

void CSocketComm::WaitForClientThreads(DWORD timeoutMs)
{
    ULONGLONG start = GetTickCount64();
    while (clientThreads_.load() > 0 && GetTickCount64() - start < timeoutMs) Sleep(5);
}

void CSocketComm::AbandonThreads()
{
    receiveEnabled.store(false);
    if (stopEvent_) SetEvent(stopEvent_.Get());
    CloseListener();
    acceptThread.Reset();
    // A thread ended by the system may have held the lock: the list is left as it is.
    clientThreads_.store(0);
    abandoned_ = true;
}
