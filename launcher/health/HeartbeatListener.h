#pragma once
// The effects' heartbeat: datagrams "beat" (or the OSC message /pavora/beat) to 127.0.0.1 on
// the heartbeat port. Only the time of the last one is kept; the sender's process cannot be
// known from UDP, so a beat counts for whatever effect plays when it comes.
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

#include "framework/Handles.h"

namespace health {

// Longer datagrams are no beat: a beat is a word, or one short OSC message.
constexpr size_t kMostBeatBytes = 256;

// True for a datagram that is a beat; anything else, well-formed or not, is none.
bool IsBeat(const char* data, size_t size);

class HeartbeatListener {
public:
    // `note`: a line for the log, from the listener's thread.
    explicit HeartbeatListener(std::function<void(const std::wstring&)> note);
    ~HeartbeatListener();
    HeartbeatListener(const HeartbeatListener&) = delete;
    HeartbeatListener& operator=(const HeartbeatListener&) = delete;

    // Binds 127.0.0.1:`port` only (nothing from the network) and starts the thread; false
    // with why not.
    bool Start(WORD port, std::wstring& problem);
    // GetTickCount64 of the last beat; 0 before the first.
    ULONGLONG LastBeat() const { return lastBeat_.load(); }

private:
    static DWORD WINAPI ThreadMain(void* self);
    void Serve();
    // What is no beat is told at once, then at most once a minute with a count.
    void Ignored(int size);

    std::function<void(const std::wstring&)> note_;
    WORD port_ = 0;
    ULONGLONG ignoredToldAt_ = 0;  // the thread's own
    unsigned long long ignored_ = 0;

    bool winsock_ = false;
    SOCKET socket_ = INVALID_SOCKET;
    kit::UniqueHandle readable_;
    kit::UniqueHandle stop_;
    kit::UniqueHandle thread_;
    std::atomic<ULONGLONG> lastBeat_{0};
};

}  // namespace health
