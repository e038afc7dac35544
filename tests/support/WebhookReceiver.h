#pragma once
// A webhook on loopback that keeps what it was posted, answering with a status of the test's
// choice; started on a port of the test's choice (0: one the system picks) so that a test can
// start it late on the very address the sender was given.
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace testing_support {

struct WebhookPost {
    std::string path, body, contentType;
    std::string signature;  // the X-Pavora-Signature header
};

class WebhookReceiver {
public:
    explicit WebhookReceiver(uint16_t port = 0, int status = 200);
    ~WebhookReceiver();
    WebhookReceiver(const WebhookReceiver&) = delete;
    WebhookReceiver& operator=(const WebhookReceiver&) = delete;

    uint16_t Port() const { return port_; }
    std::wstring Address() const;  // http://127.0.0.1:<port>/hook
    void AnswerWith(int status);
    // Waits until `count` posts have come; what came either way.
    std::vector<WebhookPost> WaitFor(size_t count, unsigned waitMs = 10000);

private:
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    uint16_t port_ = 0;
    std::mutex lock_;
    std::condition_variable arrived_;
    std::vector<WebhookPost> posts_;
    int status_;
};

// A loopback port nothing listens on (taken, then let go).
uint16_t UnusedLoopbackPort();

}  // namespace testing_support
