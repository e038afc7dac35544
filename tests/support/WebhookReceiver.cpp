#include "tests/support/WebhookReceiver.h"

#include <httplib.h>

#include "tests/support/Loopback.h"

#include <chrono>

namespace testing_support {

WebhookReceiver::WebhookReceiver(uint16_t port, int status) : server_(new httplib::Server), status_(status)
{
    server_->Post(".*", [this](const httplib::Request& request, httplib::Response& response) {
        std::lock_guard<std::mutex> hold(lock_);
        posts_.push_back({request.path, request.body, request.get_header_value("Content-Type"),
                          request.get_header_value("X-Pavora-Signature")});
        response.status = status_;
        response.set_content("ok", "text/plain");
        arrived_.notify_all();
    });
    // One request a connection: a connection kept open would hold the end of each test for seconds.
    server_->set_keep_alive_max_count(1);
    if (port == 0) {
        port_ = static_cast<uint16_t>(server_->bind_to_any_port("127.0.0.1"));
    } else if (server_->bind_to_port("127.0.0.1", port)) {
        port_ = port;
    }
    if (!port_) return;
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    // stop() does nothing to a server not yet running: the destructor would wait for ever.
    for (int i = 0; i < 5000 && !server_->is_running(); ++i) Sleep(1);
}

WebhookReceiver::~WebhookReceiver()
{
    server_->stop();
    if (thread_.joinable()) thread_.join();
}

std::wstring WebhookReceiver::Address() const
{
    return L"http://127.0.0.1:" + std::to_wstring(port_) + L"/hook";
}

void WebhookReceiver::AnswerWith(int status)
{
    std::lock_guard<std::mutex> hold(lock_);
    status_ = status;
}

std::vector<WebhookPost> WebhookReceiver::WaitFor(size_t count, unsigned waitMs)
{
    std::unique_lock<std::mutex> hold(lock_);
    arrived_.wait_for(hold, std::chrono::milliseconds(waitMs), [&] { return posts_.size() >= count; });
    return posts_;
}

uint16_t UnusedLoopbackPort()
{
    Winsock winsock;
    uint16_t port = 0;
    SOCKET s = ListenLoopback(port, 1);
    if (s != INVALID_SOCKET) closesocket(s);
    return port;
}

}  // namespace testing_support
