#pragma once
// One POST of a JSON body to a webhook through WinHTTP (http and https alike). Every step
// has a timeout and at most kAnswerLimit bytes of the answer are read.
#include <string>

namespace alerts {

struct PostResult {
    bool delivered = false;  // a 2xx answer
    int status = 0;          // 0: no answer at all
    std::wstring problem;    // for the log when not delivered
};

constexpr size_t kAnswerLimit = 4096;

// `signature` is the X-Pavora-Signature value; empty: no such header.
PostResult PostWebhook(const std::wstring& address, const std::string& body, const std::string& signature,
                       int timeoutMs = 10000);

}  // namespace alerts
