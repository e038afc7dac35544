#pragma once
// The point server: a TCP endpoint on every IPv4 interface that accepts peers and drains
// what they send. Nothing is parsed or answered; the two notifications are where a
// consumer of the bytes would attach.
#include <winsock2.h>
#include <windows.h>

#include "framework/CriticalSection.h"
#include "framework/Handles.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

class CSocketComm {
public:
    enum Event : uint32_t { EventAccepted = 0, EventAcceptFailed = 1 };

    static constexpr const wchar_t* kPortText = L"12332";
    static constexpr int kChunkSize = 260;
    static constexpr int kReadWaitMs = 100;
    static constexpr DWORD kListenerClosePauseMs = 50;
    static constexpr DWORD kAcceptJoinMs = 5000;
    // Peers held at once. Each has a thread, and under Wine a thread takes one to two
    // megabytes of address space whatever reserve it asks for: thread creation gave out
    // near 1,570 peers in a large-address-aware 32-bit process, and each held peer costs about
    // a megabyte of memory there. Beyond this a new peer is closed at once; the listener goes on.
    static constexpr size_t kDefaultPeerLimit = 1000;
    // Client threads need a few hundred bytes of stack; the program's default reserve
    // (megabytes) would use up the address space long before the peer limit.
    static constexpr SIZE_T kClientStackReserve = 64 * 1024;

    // `portText` is what OpenListener resolves; the library's own server uses kPortText.
    explicit CSocketComm(std::wstring portText = kPortText, size_t peerLimit = kDefaultPeerLimit);
    virtual ~CSocketComm();
    CSocketComm(const CSocketComm&) = delete;
    CSocketComm& operator=(const CSocketComm&) = delete;

    virtual void DeliverData(const BYTE* data, uint32_t count);
    virtual void DeliverEvent(uint32_t code);
    virtual void ServeConnections();

    // Starts Windows Sockets 2.0, then the listener and its accept thread. False only when
    // Windows Sockets could not be started; a missing listener still answers true.
    bool StartSocketServer();
    bool OpenListener();
    bool StartAcceptThread();
    void StopServer();
    // Shuts the listener down and closes it, if it is open.
    void CloseListener();
    // For the library's unload while the process ends: the system has already ended every
    // other thread, so their handles are only closed, never waited on.
    void AbandonThreads();
    // Undoes the start of Windows Sockets made by StartSocketServer, if it succeeded.
    void CleanupSockets();

    // 1..260 bytes read, 0 when nothing arrived within 100 ms, -1 when the peer closed or
    // the read failed. Peers' threads poll with it only when their socket cannot signal an event.
    static int ReadWithTimeout(BYTE* buffer, SOCKET s);
    // A decimal port, or a TCP service name; 0 when the text names no port.
    static uint16_t ResolvePort(const std::wstring& text);

    bool serverMode = false;

    bool Listening() const { return listener.load() != INVALID_SOCKET; }
    size_t PeerCount() const;
    size_t PeerLimit() const { return peerLimit_; }
    // Client threads that have not ended yet.
    long ClientThreadCount() const { return clientThreads_.load(); }

private:
    struct ClientStart {
        CSocketComm* server;
        SOCKET peer;
    };
    // Sleeps until the peer's bytes, its close or the stop arrive: a thread per idle peer
    // that woke every read wait would keep a processor busy with a thousand peers, and a
    // wait before every read halves the rate at which a talking peer is drained.
    class PeerWait {
    public:
        PeerWait(SOCKET peer, HANDLE stop);
        ~PeerWait();
        PeerWait(const PeerWait&) = delete;
        PeerWait& operator=(const PeerWait&) = delete;
        bool Armed() const { return readable_.Valid(); }
        // As ReadWithTimeout, with 0 only when the stop came first.
        int Read(BYTE* buffer);

    private:
        SOCKET peer_;
        HANDLE stop_;
        kit::UniqueHandle readable_;
    };
    static unsigned __stdcall AcceptThreadMain(void* server);
    static unsigned __stdcall ClientThreadMain(void* start);
    void ClientLoop(SOCKET peer);
    // False when the peer closed or its read failed; true when receiving was switched off.
    bool DrainPeer(SOCKET peer);
    bool AddClient(SOCKET peer);
    void RemoveClient(SOCKET peer);
    bool StartClientThread(SOCKET peer);
    void WaitForClientThreads(DWORD timeoutMs);

    std::wstring portText_;
    size_t peerLimit_;
    std::atomic<SOCKET> listener{INVALID_SOCKET};
    kit::UniqueHandle acceptThread;
    std::vector<SOCKET> clients;
    mutable kit::CriticalSection clientsLock;
    std::atomic<bool> receiveEnabled{true};
    // Set with receiveEnabled cleared, so that waiting peers see it at once. Left open when
    // the server goes while peers' threads remain: they may still wait on it.
    kit::UniqueHandle stopEvent_;
    std::atomic<long> clientThreads_{0};
    bool socketsStarted_ = false;
    bool abandoned_ = false;
};

// The library's own server, built once when the library loads.
CSocketComm& LibrarySocketServer();
