#pragma once
// The remote control: the transports that section [remote] of Bin\config.ini turns on, each
// on its own threads, all on the bar's one command set.
#include <memory>
#include <string>
#include <vector>

#include "launcher/remote/Transport.h"

namespace remote {

class RemoteControl {
public:
    // Reads the settings of `folder`\Bin\config.ini and starts what they turn on; says in the
    // log what listens where, and why what was asked for does not. `text` gives the console
    // its captions in the launcher's language.
    RemoteControl(const std::wstring& folder, CommandSink& sink, TextLookup text = nullptr);
    ~RemoteControl();
    RemoteControl(const RemoteControl&) = delete;
    RemoteControl& operator=(const RemoteControl&) = delete;

private:
    RemoteSettings settings_;
    RefusalNotes refusals_;
    RemoteContext context_;
    std::vector<std::unique_ptr<Transport>> transports_;
};

}  // namespace remote
