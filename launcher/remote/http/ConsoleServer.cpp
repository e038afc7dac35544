#include "launcher/remote/http/ConsoleServer.h"

#include <nlohmann/json.hpp>

#include "framework/Utf8.h"
#include "launcher/pictures/ScreenPicture.h"
#include "launcher/remote/RemoteCommands.h"
#include "launcher/remote/http/ConsoleFiles.h"
#include "launcher/remote/http/PeerStream.h"

namespace remote {

namespace {

using httplib::Request;
using httplib::Response;

const size_t kMostRequestsPerPeer = 1000;
// A picture is taken at most this often, however many phones look.
const ULONGLONG kPictureMs = 1000;
const int kPictureWidth = 1280;
const size_t kMostLogLines = 200;

// The request that a peer's thread is answering: the gate and the handlers see its sender.
struct Exchange {
    uint32_t address;
    const PeerStream& stream;
    bool closeAfter = false;
};
thread_local Exchange* tExchange = nullptr;

std::wstring Sender(uint32_t address)
{
    return L"HTTP from " + AllowList::AddressText(address);
}

std::string JsonText(const nlohmann::json& value)
{
    // A reason from the bar or a path from a file may hold bytes that are no UTF-8.
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void Answer(Response& response, int status, const std::string& error)
{
    response.status = status;
    response.set_content(JsonText({{"ok", false}, {"error", error}}), "application/json; charset=utf-8");
}

// A refused request's body was not read: what follows on the connection is no request.
void CloseIfBodyUnread(const Request& request, Response& response)
{
    if (request.get_header_value<uint64_t>("Content-Length") == 0 && !request.has_header("Transfer-Encoding")) return;
    tExchange->closeAfter = true;
    response.set_header("Connection", "close");
}

}  // namespace

ConsoleServer::ConsoleServer(RemoteContext& context, std::string page)
    : context_(context), page_(std::move(page)), gate_(context.settings.allow, context.settings.password)
{
    set_default_headers({{"Cache-Control", "no-store"},
                         {"X-Content-Type-Options", "nosniff"},
                         {"X-Frame-Options", "DENY"},
                         {"Referrer-Policy", "no-referrer"}});
    set_payload_max_length(kMostBodyBytes);
    set_keep_alive_timeout(static_cast<time_t>(kIdleMs / 1000));
    set_keep_alive_max_count(kMostRequestsPerPeer);
    set_pre_routing_handler([this](const Request& q, Response& a) { return Gate(q, a); });
    set_expect_100_continue_handler([](const Request& request, Response&) {
        if (request.get_header_value<uint64_t>("Content-Length") <= kMostBodyBytes) return 100;
        tExchange->closeAfter = true;
        return 413;
    });
    set_error_handler([this](const Request& q, Response& a) { Failed(q, a); });
    set_exception_handler([](const Request&, Response& a, std::exception_ptr) { Answer(a, 500, "internal error"); });

    auto servePage = [this](const Request&, Response& a) {
        // Nothing but the page itself and the console's own paths, whatever a log line holds.
        a.set_header("Content-Security-Policy", "default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; "
                                                "img-src 'self' blob:; connect-src 'self'; frame-ancestors 'none'");
        a.set_content(page_, "text/html; charset=utf-8");
    };
    Get("/", servePage);
    Get("/index.html", servePage);
    Get("/favicon.ico", [](const Request&, Response& a) { a.status = 204; });
    Get("/api/status", [this](const Request& q, Response& a) { Status(q, a); });
    Post("/api/command", [this](const Request& q, Response& a) { Command(q, a); });
    Get("/api/screenshot.png", [this](const Request& q, Response& a) { Picture(q, a); });
    Get("/api/playlist", [this](const Request& q, Response& a) { Playlist(q, a); });
    Get("/api/log", [this](const Request& q, Response& a) { LogLines(q, a); });
}

void ConsoleServer::Serve(Peer& peer)
{
    PeerStream stream(peer);
    for (size_t served = 0; served < kMostRequestsPerPeer; ++served) {
        if (!peer.SetIdle(true)) return;
        bool more = stream.WaitForRequest(kIdleMs);
        if (!peer.SetIdle(false) || !more) return;
        stream.BeginRequest(kWholeRequestMs, kMostHeadBytes + kMostBodyBytes, kAnswerMs);
        Exchange exchange{peer.Address(), stream};
        tExchange = &exchange;
        bool closedByPeer = false;
        bool answered = process_request(stream, served + 1 == kMostRequestsPerPeer, closedByPeer, nullptr);
        tExchange = nullptr;
        if (stream.TooLarge()) Note(badRequests_, peer.Address(), L"a request over 64 KB was refused");
        else if (stream.Late()) Note(badRequests_, peer.Address(), L"a request that did not arrive within 10 s was dropped");
        if (!answered || closedByPeer || exchange.closeAfter || stream.Broken()) return;
    }
}

void ConsoleServer::Refused(uint32_t address)
{
    Note(busy_, address, L"refused: " + std::to_wstring(kMostPeers) + L" peers are served already");
}

void ConsoleServer::Note(RefusalNotes& notes, uint32_t address, const std::wstring& what)
{
    if (notes.ShouldLog(address, GetTickCount64())) context_.sink.Log(L"remote control: " + Sender(address) + L": " + what);
}

httplib::Server::HandlerResponse ConsoleServer::Gate(const Request& request, Response& response)
{
    const uint32_t address = tExchange->address;
    if (tExchange->stream.HeadMalformed()) {
        Note(badRequests_, address, L"a request with a malformed head was refused");
        Answer(response, 400, "malformed request");
        tExchange->closeAfter = true;
        response.set_header("Connection", "close");
        return HandlerResponse::Handled;
    }
    ConsoleGate::Decision decision = gate_.Check(address, request.get_header_value("Authorization"), GetTickCount64());
    switch (decision.verdict) {
    case ConsoleGate::Verdict::Pass:
        return HandlerResponse::Unhandled;
    case ConsoleGate::Verdict::NotAllowed:
        if (context_.refusals.ShouldLog(address, GetTickCount64()))
            context_.sink.Log(L"remote control: " + Sender(address) + L" refused: not in [remote] allow");
        Answer(response, 403, "not allowed");
        break;
    case ConsoleGate::Verdict::NoPassword:
    case ConsoleGate::Verdict::WrongPassword:
        if (decision.verdict == ConsoleGate::Verdict::WrongPassword)
            context_.sink.Log(L"remote control: " + Sender(address) + L": wrong password" +
                              (decision.shutOutNow ? L"; shut out for a minute after 5 wrong passwords" : L""));
        Answer(response, 401, "the console's password is needed");
        response.set_header("WWW-Authenticate", "Basic realm=\"Pavora\", charset=\"UTF-8\"");
        break;
    case ConsoleGate::Verdict::ShutOut:
        Answer(response, 429, "too many wrong passwords; try again in a minute");
        response.set_header("Retry-After", std::to_string((decision.retryAfterMs + 999) / 1000));
        break;
    }
    CloseIfBodyUnread(request, response);
    return HandlerResponse::Handled;
}

void ConsoleServer::Status(const Request&, Response& response)
{
    response.set_content(context_.sink.StatusJson(), "application/json; charset=utf-8");
}

void ConsoleServer::Command(const Request& request, Response& response)
{
    const uint32_t address = tExchange->address;
    // A page of another site in the operator's browser would otherwise send commands with
    // the password the browser keeps; a control system sends no Origin at all.
    std::string origin = request.get_header_value("Origin");
    if (!origin.empty() && origin != "http://" + request.get_header_value("Host")) {
        Note(badRequests_, address, L"a command from a page of " + kit::FromUtf8(origin.substr(0, 100)) + L" was refused");
        Answer(response, 403, "commands come from the console's own page only");
        return;
    }
    if (request.body.size() > kMostBodyBytes) {
        // A chunked body has no length to refuse it by before it is read.
        Note(badRequests_, address, L"a request over 64 KB was refused");
        Answer(response, 413, "the body is over 64 KB");
        return;
    }
    if (!rate_.Take(address, GetTickCount64())) {
        Note(badRequests_, address, L"commands come faster than a few a second; some were refused");
        Answer(response, 429, "too many commands; slow down");
        return;
    }
    RemoteCommand command;
    std::string error;
    if (!ParseJsonCommand(request.body, command, error)) {
        Note(badRequests_, address, L"a command was refused: " + kit::FromUtf8(error));
        Answer(response, 400, error);
        return;
    }
    if (command.status) {
        response.set_content(context_.sink.StatusJson(), "application/json; charset=utf-8");
        return;
    }
    command.request.from = L"http " + AllowList::AddressText(address);
    std::string why = context_.sink.Run(command.request);
    if (why.empty()) response.set_content("{\"ok\": true}", "application/json; charset=utf-8");
    else Answer(response, 400, why);
}

void ConsoleServer::Picture(const Request&, Response& response)
{
    std::lock_guard<std::mutex> hold(pictureLock_);
    ULONGLONG now = GetTickCount64();
    if (picture_.empty() || now - pictureAt_ >= kPictureMs) {
        std::string png;
        std::wstring problem;
        if (!pictures::CapturePrimaryMonitor(kPictureWidth, png, problem)) {
            if (!pictureNoted_ || now - pictureNoted_ >= 60000) {
                pictureNoted_ = now;
                context_.sink.Log(L"remote control: no picture of the projection: " + problem);
            }
            Answer(response, 503, "no picture: " + kit::ToUtf8(problem));
            return;
        }
        picture_.swap(png);
        pictureAt_ = now;
    }
    response.set_content(picture_, "image/png");
}

void ConsoleServer::Playlist(const Request&, Response& response)
{
    response.set_content(PlaylistJson(context_.folder, context_.sink.StatusJson()), "application/json; charset=utf-8");
}

void ConsoleServer::LogLines(const Request& request, Response& response)
{
    size_t lines = 40;
    std::string asked = request.get_param_value("lines");
    if (!asked.empty() && asked.size() <= 3 && asked.find_first_not_of("0123456789") == std::string::npos)
        lines = std::min<size_t>(std::stoul(asked), kMostLogLines);
    nlohmann::json answer = {{"lines", LogTail(context_.folder + L"\\log\\pavora.log", lines)}};
    response.set_content(JsonText(answer), "application/json; charset=utf-8");
}

void ConsoleServer::Failed(const Request& request, Response& response)
{
    if (!response.body.empty()) return;
    const char* what = httplib::detail::status_message(response.status);
    if ((response.status == 400 || response.status == 413 || response.status == 414) && tExchange) {
        Note(badRequests_, tExchange->address,
             L"a request was refused: " + std::to_wstring(response.status) + L" " + kit::FromUtf8(what));
        // Where a malformed request ends is anyone's guess: nothing after it is taken as a request.
        tExchange->closeAfter = true;
        response.set_header("Connection", "close");
    }
    Answer(response, response.status, what);
}

}  // namespace remote
