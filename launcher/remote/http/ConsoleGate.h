#pragma once
// Who may use the console, decided for every request before anything else is read: the
// allow-list, then the lock-out of an address that guessed wrong too often, then the password
// of HTTP Basic authentication (any user name).
#include <windows.h>

#include <cstdint>
#include <string>

#include "launcher/remote/AllowList.h"
#include "launcher/remote/http/PasswordLockout.h"

namespace remote {

class ConsoleGate {
public:
    enum class Verdict {
        Pass,
        NotAllowed,     // 403
        NoPassword,     // 401, no credentials given (a browser's first request)
        WrongPassword,  // 401
        ShutOut,        // 429
    };
    struct Decision {
        Verdict verdict = Verdict::Pass;
        bool shutOutNow = false;     // this wrong password shut the address out
        ULONGLONG retryAfterMs = 0;  // ShutOut: how long it lasts
    };

    ConsoleGate(const AllowList& allow, std::string password) : allow_(allow), password_(std::move(password)) {}

    // `authorization` is the request's Authorization header, empty when it has none.
    Decision Check(uint32_t address, const std::string& authorization, ULONGLONG nowMs);

    // The password of a Basic credential, "Basic base64(user:password)"; false for anything else.
    static bool PasswordOf(const std::string& authorization, std::string& password);
    // Takes as long for every `given` of one length, whatever its bytes.
    static bool SamePassword(const std::string& given, const std::string& expected);

private:
    const AllowList& allow_;
    std::string password_;
    PasswordLockout lockout_;
};

}  // namespace remote
