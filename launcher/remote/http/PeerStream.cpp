#include "launcher/remote/http/PeerStream.h"

#include <algorithm>
#include <cstring>

namespace remote {

namespace {

std::string AddressText(uint32_t address)
{
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 255) + "." +
           std::to_string((address >> 8) & 255) + "." + std::to_string(address & 255);
}

}  // namespace

int PeerStream::Fill(ULONGLONG deadline)
{
    for (;;) {
        int got = recv(peer_.Socket(), buffer_, sizeof(buffer_), 0);
        if (got > 0) {
            at_ = 0;
            end_ = static_cast<size_t>(got);
            return got;
        }
        if (got == 0) return 0;
        if (WSAGetLastError() != WSAEWOULDBLOCK) {
            failed_ = true;
            return -1;
        }
        if (!peer_.Wait(FD_READ, deadline)) return -1;
    }
}

bool PeerStream::WaitForRequest(ULONGLONG idleMs)
{
    if (at_ < end_) return true;
    return !Broken() && Fill(GetTickCount64() + idleMs) > 0;
}

void PeerStream::BeginRequest(ULONGLONG wholeMs, size_t mostBytes, ULONGLONG writeMs)
{
    readDeadline_ = GetTickCount64() + wholeMs;
    budget_ = mostBytes;
    writeMs_ = writeMs;
    writeDeadline_ = 0;
    headDone_ = false;
    headMalformed_ = false;
    lastWasCr_ = false;
    lineLength_ = 0;
}

void PeerStream::ScanHead(const char* data, size_t size)
{
    for (size_t i = 0; i < size && !headDone_; ++i) {
        unsigned char c = static_cast<unsigned char>(data[i]);
        if (c == '\n') {
            if (!lastWasCr_) headMalformed_ = true;
            headDone_ = lineLength_ == 1;
            lineLength_ = 0;
            lastWasCr_ = false;
            continue;
        }
        if (lastWasCr_ || (c < 0x20 && c != '\t' && c != '\r') || c == 0x7F) headMalformed_ = true;
        lastWasCr_ = c == '\r';
        ++lineLength_;
    }
}

bool PeerStream::is_readable() const
{
    return at_ < end_ || (!Broken() && GetTickCount64() < readDeadline_);
}

bool PeerStream::is_writable() const
{
    return !failed_;
}

ssize_t PeerStream::read(char* data, size_t size)
{
    if (size == 0) return 0;
    if (budget_ == 0) {
        tooLarge_ = true;
        return -1;
    }
    if (at_ == end_) {
        if (GetTickCount64() >= readDeadline_) {
            late_ = true;
            return -1;
        }
        int got = Fill(readDeadline_);
        if (got == 0) return 0;
        if (got < 0) {
            if (!failed_) late_ = true;
            return -1;
        }
    }
    size_t taken = std::min({size, end_ - at_, budget_});
    std::memcpy(data, buffer_ + at_, taken);
    if (!headDone_) ScanHead(data, taken);
    at_ += taken;
    budget_ -= taken;
    return static_cast<ssize_t>(taken);
}

ssize_t PeerStream::write(const char* data, size_t size)
{
    if (failed_) return -1;
    if (!writeDeadline_) writeDeadline_ = GetTickCount64() + writeMs_;
    int chunk = static_cast<int>(std::min<size_t>(size, 64 * 1024));
    for (;;) {
        int sent = send(peer_.Socket(), data, chunk, 0);
        if (sent >= 0) return sent;
        if (WSAGetLastError() != WSAEWOULDBLOCK || !peer_.Wait(FD_WRITE, writeDeadline_)) {
            failed_ = true;
            return -1;
        }
    }
}

void PeerStream::get_remote_ip_and_port(std::string& ip, int& port) const
{
    ip = AddressText(peer_.Address());
    port = peer_.Port();
}

void PeerStream::get_local_ip_and_port(std::string& ip, int& port) const
{
    sockaddr_in local{};
    int size = sizeof(local);
    if (getsockname(peer_.Socket(), reinterpret_cast<sockaddr*>(&local), &size) != 0) {
        ip.clear();
        port = 0;
        return;
    }
    ip = AddressText(ntohl(local.sin_addr.s_addr));
    port = ntohs(local.sin_port);
}

}  // namespace remote
