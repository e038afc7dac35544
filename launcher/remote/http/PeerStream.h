#pragma once
// A peer's connection as cpp-httplib reads and writes it. That library bounds only each
// single receive; here a whole request must arrive within a time and a number of bytes, so
// that a peer sending one byte a second, or without end, cannot hold its slot.
#include "launcher/remote/http/HttpLibrary.h"
#include "launcher/remote/http/PeerSlots.h"

namespace remote {

class PeerStream : public httplib::Stream {
public:
    explicit PeerStream(Peer& peer) : peer_(peer) {}

    // Until the next request's first byte (true), or `idleMs` without one, the peer's close
    // or its end (false).
    bool WaitForRequest(ULONGLONG idleMs);
    // The request that begins must be read whole within `wholeMs` and `mostBytes`; its answer
    // written within `writeMs` of its first byte.
    void BeginRequest(ULONGLONG wholeMs, size_t mostBytes, ULONGLONG writeMs);
    // The request took longer or was larger than allowed, or the connection failed: whatever
    // the peer sends next is no request to trust.
    bool Broken() const { return late_ || tooLarge_ || failed_; }
    bool TooLarge() const { return tooLarge_; }
    bool Late() const { return late_; }
    // A line of the request's head did not end in CR LF or held a control byte: the library
    // skips such a line, where it may have been the one that said how long the body is.
    bool HeadMalformed() const { return headMalformed_; }

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char* data, size_t size) override;
    ssize_t write(const char* data, size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    socket_t socket() const override { return peer_.Socket(); }

private:
    // Receives into the buffer: >0 bytes, 0 closed, -1 failed or too late.
    int Fill(ULONGLONG deadline);
    // Follows the head's lines as the library takes them, up to the empty line.
    void ScanHead(const char* data, size_t size);

    Peer& peer_;
    char buffer_[4096];
    size_t at_ = 0;
    size_t end_ = 0;
    ULONGLONG readDeadline_ = 0;
    size_t budget_ = 0;
    ULONGLONG writeMs_ = 0;
    ULONGLONG writeDeadline_ = 0;
    bool late_ = false;
    bool tooLarge_ = false;
    bool failed_ = false;
    bool headDone_ = false;
    bool headMalformed_ = false;
    bool lastWasCr_ = false;
    size_t lineLength_ = 0;
};

}  // namespace remote
