// The least program that does the point server's job: accepts every peer on a port and
// drains it in 260-byte reads on a thread of its own, answering nothing. The socket
// benchmark's reference. Arguments: port, and the seconds after which it ends by itself.
#include <winsock2.h>
#include <windows.h>
#include <process.h>

#include <cstdlib>

namespace {

unsigned __stdcall Drain(void* peer)
{
    SOCKET s = static_cast<SOCKET>(reinterpret_cast<uintptr_t>(peer));
    char buffer[260];
    while (recv(s, buffer, sizeof(buffer), 0) > 0) {
    }
    closesocket(s);
    return 0;
}

unsigned __stdcall EndLater(void* seconds)
{
    Sleep(static_cast<DWORD>(reinterpret_cast<uintptr_t>(seconds)) * 1000);
    ExitProcess(0);
}

}  // namespace

int main(int argc, char** argv)
{
    int port = argc > 1 ? atoi(argv[1]) : 0;
    uintptr_t lifetime = argc > 2 ? static_cast<uintptr_t>(atoi(argv[2])) : 60;
    WSADATA data;
    if (port <= 0 || port > 0xFFFF || WSAStartup(MAKEWORD(2, 2), &data) != 0) return 2;
    CloseHandle(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, EndLater, reinterpret_cast<void*>(lifetime), 0,
                                                        nullptr)));

    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(listener, SOMAXCONN) != 0)
        return 1;
    for (;;) {
        SOCKET peer = accept(listener, nullptr, nullptr);
        if (peer == INVALID_SOCKET) return 1;
        uintptr_t thread = _beginthreadex(nullptr, 64 * 1024, Drain, reinterpret_cast<void*>(peer),
                                          STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
        if (thread) CloseHandle(reinterpret_cast<HANDLE>(thread));
        else closesocket(peer);
    }
}
