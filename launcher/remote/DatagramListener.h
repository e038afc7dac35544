#pragma once
// A UDP port served by one thread: each datagram is handed over with its sender, and what
// the handler gives back goes to that sender. The destructor stops and joins the thread.
#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "framework/UniqueSocket.h"
#include "launcher/remote/CommandGate.h"

namespace remote {

struct Datagram {
    const char* data;
    size_t size;
    bool truncated;    // longer than the listener takes; `data` holds its start
    uint32_t address;  // host order
};

class DatagramListener {
public:
    // The datagrams to send back to the sender, in order; none for no answer.
    using Handler = std::function<std::vector<std::string>(const Datagram&)>;

    // Datagrams longer than `mostBytes` come truncated.
    DatagramListener(size_t mostBytes, Handler handler);
    ~DatagramListener();
    DatagramListener(const DatagramListener&) = delete;
    DatagramListener& operator=(const DatagramListener&) = delete;

    // Binds every address's `port` and starts the thread; false with why not.
    bool Start(WORD port, std::wstring& problem);

private:
    static DWORD WINAPI ThreadMain(void* self);
    void Serve();
    void Drain();

    const size_t mostBytes_;
    Handler handler_;
    WinsockUse winsock_;
    kit::UniqueSocket socket_;
    kit::UniqueHandle readable_;
    kit::UniqueHandle stop_;
    kit::UniqueHandle thread_;
};

}  // namespace remote
