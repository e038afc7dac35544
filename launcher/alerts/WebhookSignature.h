#pragma once
// The header value a receiver checks a body against: "sha256=" and the HMAC-SHA256 of the
// body under the secret, in lowercase hex. Empty when the platform cannot compute it.
#include <string>

namespace alerts {

std::string WebhookSignature(const std::string& secret, const std::string& body);

}  // namespace alerts
