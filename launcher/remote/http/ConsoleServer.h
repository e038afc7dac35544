#pragma once
// The console's HTTP side: who may ask (ConsoleGate), what each path answers, and the loop
// over one peer's requests with the limits that keep any peer from holding its slot.
#include <mutex>
#include <string>

#include "launcher/remote/CommandRate.h"
#include "launcher/remote/RefusalNotes.h"
#include "launcher/remote/Transport.h"
#include "launcher/remote/http/ConsoleGate.h"
#include "launcher/remote/http/HttpLibrary.h"
#include "launcher/remote/http/PeerSlots.h"

namespace remote {

class ConsoleServer : public httplib::Server {
public:
    static const size_t kMostPeers = 16;
    static const ULONGLONG kIdleMs = 60000;          // between two requests
    static const ULONGLONG kWholeRequestMs = 10000;  // from a request's first byte to its last
    static const ULONGLONG kAnswerMs = 30000;        // to write an answer (a picture to a phone)
    static const size_t kMostHeadBytes = 16 * 1024;  // request line and headers

    // `page` is the console's page as served.
    ConsoleServer(RemoteContext& context, std::string page);

    // Answers the peer's requests until it closes, waits too long, breaks a limit or is ended.
    void Serve(Peer& peer);
    // A peer turned away because every slot was busy.
    void Refused(uint32_t address);

private:
    httplib::Server::HandlerResponse Gate(const httplib::Request& request, httplib::Response& response);
    void Status(const httplib::Request& request, httplib::Response& response);
    void Command(const httplib::Request& request, httplib::Response& response);
    void Picture(const httplib::Request& request, httplib::Response& response);
    void Playlist(const httplib::Request& request, httplib::Response& response);
    void LogLines(const httplib::Request& request, httplib::Response& response);
    void Failed(const httplib::Request& request, httplib::Response& response);
    // A line for the launcher's log about `address`, at most once a minute for each.
    void Note(RefusalNotes& notes, uint32_t address, const std::wstring& what);

    RemoteContext& context_;
    std::string page_;
    ConsoleGate gate_;
    CommandRate rate_;
    RefusalNotes badRequests_;
    RefusalNotes busy_;
    std::mutex pictureLock_;
    std::string picture_;
    ULONGLONG pictureAt_ = 0;
    ULONGLONG pictureNoted_ = 0;
};

}  // namespace remote
