#include "tests/support/RemotePeers.h"

#include <osc/OscOutboundPacketStream.h>
#include <osc/OscReceivedElements.h>

namespace testing_support {

RemotePeer::RemotePeer(int type, uint16_t port) : type_(type)
{
    static WSADATA data;
    static bool started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    socket_ = started ? socket(AF_INET, type, 0) : INVALID_SOCKET;
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (socket_ != INVALID_SOCKET && connect(socket_, reinterpret_cast<sockaddr*>(&to), sizeof(to)) != 0) {
        closesocket(socket_);
        socket_ = INVALID_SOCKET;
    }
}

RemotePeer::~RemotePeer()
{
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
}

bool RemotePeer::Send(const std::string& bytes)
{
    return socket_ != INVALID_SOCKET &&
           send(socket_, bytes.data(), static_cast<int>(bytes.size()), 0) == static_cast<int>(bytes.size());
}

std::string RemotePeer::Receive(DWORD waitMs)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket_, &readable);
    timeval wait = {static_cast<long>(waitMs / 1000), static_cast<long>(waitMs % 1000) * 1000};
    char buffer[8192];
    int got = socket_ != INVALID_SOCKET && select(0, &readable, nullptr, nullptr, &wait) > 0
                  ? recv(socket_, buffer, sizeof(buffer), 0)
                  : -1;
    closed_ = closed_ || got == 0;
    return got > 0 ? std::string(buffer, static_cast<size_t>(got)) : std::string();
}

bool RemotePeer::ReadLine(std::string& line, DWORD waitMs, bool pushed)
{
    for (ULONGLONG until = GetTickCount64() + waitMs;;) {
        size_t end = pending_.find_first_of("\r\n");
        if (end != std::string::npos) {
            line = pending_.substr(0, end);
            pending_.erase(0, pending_.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1);
            if (pushed || line.rfind("STATUS ", 0) != 0) return true;
            continue;
        }
        ULONGLONG now = GetTickCount64();
        if (closed_ || now >= until) return false;
        pending_ += Receive(static_cast<DWORD>(until - now));
    }
}

std::string RemotePeer::Ask(const std::string& text)
{
    if (type_ == SOCK_DGRAM) return Send(text) ? Receive(10000) : std::string();
    std::string answer;
    bool status = _strnicmp(text.c_str(), "STATUS", 6) == 0;
    return Send(text + "\r\n") && ReadLine(answer, 10000, status) ? answer : std::string();
}

bool RemotePeer::Closed(DWORD waitMs)
{
    std::string skipped;
    while (ReadLine(skipped, waitMs, true)) {
    }
    return closed_;
}

std::string OscMessage(const char* address, const int* number)
{
    char buffer[512];
    osc::OutboundPacketStream stream(buffer, sizeof(buffer));
    stream << osc::BeginMessage(address);
    if (number) stream << static_cast<osc::int32>(*number);
    stream << osc::EndMessage;
    return std::string(stream.Data(), stream.Size());
}

std::string OscReplyText(const std::string& packet)
{
    try {
        osc::ReceivedMessage message(osc::ReceivedPacket(packet.data(), packet.size()));
        std::string text = message.AddressPattern();
        for (auto argument = message.ArgumentsBegin(); argument != message.ArgumentsEnd(); ++argument)
            text += " " + (argument->IsInt32() ? std::to_string(argument->AsInt32()) : argument->AsString());
        return text;
    } catch (const osc::Exception&) {
        return std::string();
    }
}

std::unique_ptr<e2e::SupervisedInstall> RemoteInstall(const std::wstring& name, const std::string& remote)
{
    // The section follows the supervision's body, which the installation writes last.
    return std::unique_ptr<e2e::SupervisedInstall>(new e2e::SupervisedInstall(
        name, {e2e::SupervisedEffect(), e2e::SupervisedEffect()}, "graceseconds=1\r\n[remote]\r\n" + remote));
}

}  // namespace testing_support
