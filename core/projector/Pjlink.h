#pragma once
// PJLink class 1, the projectors' control protocol over TCP: one blocking exchange at a
// time, to be run from a thread that may wait (never the bar's).
#include <winsock2.h>

#include <string>
#include <vector>

namespace projector {

constexpr unsigned short kDefaultPort = 4352;

struct Address {
    std::string host;
    unsigned short port = kDefaultPort;
};

// "host" or "host:port", separated by commas; blanks around each are ignored. False, with
// `error` saying what, for an address that cannot be one (an empty part, a bad port). A
// projector given again (the same host, in any case, and port) is kept once; the parts left
// out go, as written, into `duplicates`.
bool ParseAddresses(const std::wstring& text, std::vector<Address>& addresses, std::wstring& error,
                    std::vector<std::wstring>* duplicates = nullptr);

struct Answer {
    enum Outcome {
        Ok,             // the command was taken ("OK", or a power state for a query)
        NoAnswer,       // no connection, or no reply in time
        WrongPassword,  // "PJLINK ERRA"
        Undefined,      // "ERR1": the command is unknown to it
        OutOfParameter, // "ERR2"
        Unavailable,    // "ERR3": not now (warming up or cooling down): try again
        Failure,        // "ERR4": the projector reports a fault
        BadReply,       // something that is no PJLink answer
    };
    Outcome outcome = NoAnswer;
    int power = -1;     // a query's state: 0 off, 1 on, 2 cooling down, 3 warming up
    std::string value;  // a query's answer, after "="
    std::string reply;  // the line as received, for the log
};

// What the outcome is called in the log.
const wchar_t* OutcomeText(Answer::Outcome outcome);

// One connection: greeting, authentication when the projector asks for it, the command
// ("POWR 1", "POWR 0", "POWR ?") and its reply. Each call opens its own connection, as
// projectors close idle ones.
Answer Exchange(const Address& address, const std::string& password, const std::string& command,
                unsigned long timeoutMs = 5000);

// What a projector reports of itself: its power state, the first lamp's hours ("LAMP ?")
// and the error status ("ERST ?": one digit each for fan, lamp, temperature, cover, filter
// and other, 0 fine, 1 warning, 2 error).
struct Health {
    Address address;
    Answer::Outcome outcome = Answer::NoAnswer;  // of the power query
    int power = -1;
    long lampHours = -1;  // -1: not reported
    std::string errors;   // six digits, or empty when not reported
};
Health Survey(const Address& address, const std::string& password, unsigned long timeoutMs = 5000);

// The MD5 digest of the text, as 32 lower-case hexadecimal digits.
std::string Md5Hex(const std::string& text);

}  // namespace projector
