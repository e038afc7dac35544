#include "launcher/alerts/WebhookSignature.h"

#include <windows.h>

#include <bcrypt.h>

namespace alerts {

std::string WebhookSignature(const std::string& secret, const std::string& body)
{
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, BCRYPT_ALG_HANDLE_HMAC_FLAG) != 0)
        return {};
    UCHAR digest[32] = {};
    BCRYPT_HASH_HANDLE hash = nullptr;
    // An empty key is still a key to HMAC; BCrypt wants a non-null pointer for it.
    static UCHAR none = 0;
    PUCHAR key = secret.empty() ? &none : reinterpret_cast<PUCHAR>(const_cast<char*>(secret.data()));
    bool ok = BCryptCreateHash(algorithm, &hash, nullptr, 0, key, static_cast<ULONG>(secret.size()), 0) == 0 &&
              BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(body.data())),
                             static_cast<ULONG>(body.size()), 0) == 0 &&
              BCryptFinishHash(hash, digest, sizeof digest, 0) == 0;
    if (hash) BCryptDestroyHash(hash);
    BCryptCloseAlgorithmProvider(algorithm, 0);
    if (!ok) return {};
    static const char hex[] = "0123456789abcdef";
    std::string text = "sha256=";
    for (UCHAR byte : digest) {
        text += hex[byte >> 4];
        text += hex[byte & 15];
    }
    return text;
}

}  // namespace alerts
