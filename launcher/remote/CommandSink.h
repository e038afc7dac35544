#pragma once
// Where the transports' threads hand their commands: the bar runs each as its own buttons
// would (BarCommands), a test can stand in.
#include <string>

#include "launcher/remote/RemoteCommands.h"

namespace remote {

class CommandSink {
public:
    virtual ~CommandSink() = default;
    // Runs the command; empty when done, else why not (UTF-8). Safe from any thread.
    virtual std::string Run(const launcher::Request& request) = 0;
    // The JSON of log\status.json as it stands; safe from any thread.
    virtual std::string StatusJson() = 0;
    // A line for the launcher's log; safe from any thread.
    virtual void Log(const std::wstring& line) = 0;
};

}  // namespace remote
