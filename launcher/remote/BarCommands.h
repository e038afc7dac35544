#pragma once
// The transports' commands run on the bar's thread, one at a time, exactly as its buttons'
// are; the transport's thread waits for the answer, never longer than a few seconds, and not
// at all once the launcher ends.
#include <windows.h>

#include <functional>
#include <string>

#include "framework/Handles.h"
#include "launcher/remote/CommandSink.h"

namespace remote {

class BarCommands : public CommandSink {
public:
    using Runner = std::function<std::wstring(const launcher::Request&)>;
    using Logger = std::function<void(const std::wstring&)>;
    // `run` and `log` are called on the bar's thread; `statusFile` is log\status.json.
    BarCommands(HWND bar, UINT runOnBarMessage, Runner run, Logger log, std::wstring statusFile);
    ~BarCommands() override;
    BarCommands(const BarCommands&) = delete;
    BarCommands& operator=(const BarCommands&) = delete;

    std::string Run(const launcher::Request& request) override;
    std::string StatusJson() override;
    void Log(const std::wstring& line) override;
    // From now on no command waits for the bar: it is about to end.
    void Closing() { SetEvent(closing_.Get()); }

private:
    HWND bar_;
    UINT message_;
    Runner run_;
    Logger log_;
    std::wstring statusFile_;
    kit::UniqueHandle closing_;
};

}  // namespace remote
