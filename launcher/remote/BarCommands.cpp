#include "launcher/remote/BarCommands.h"

#include <memory>

#include "framework/FileBytes.h"
#include "framework/PostToWindow.h"
#include "framework/Utf8.h"

namespace remote {

namespace {

// A bar busy longer than this (a modal box of the library) answers "busy": the sender may
// try again, and a transport's thread is never held for long.
const DWORD kAnswerWithinMs = 5000;
const size_t kMostStatusBytes = 64 * 1024;

struct Answer {
    kit::UniqueHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::wstring why;
};

}  // namespace

BarCommands::BarCommands(HWND bar, UINT runOnBarMessage, Runner run, Logger log, std::wstring statusFile)
    : bar_(bar), message_(runOnBarMessage), run_(std::move(run)), log_(std::move(log)),
      statusFile_(std::move(statusFile)), closing_(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

BarCommands::~BarCommands() = default;

std::string BarCommands::Run(const launcher::Request& request)
{
    auto answer = std::make_shared<Answer>();
    Runner run = run_;
    Logger log = log_;
    if (!kit::PostToWindow(bar_, message_, [answer, run, log, request] {
            answer->why = run(request);
            // The command's own line is written before it runs; a refusal needs one too.
            if (!answer->why.empty())
                log(L"remote: " + CommandName(request) + L" from " + request.from + L" not done: " + answer->why);
            SetEvent(answer->done.Get());
        }))
        return "the launcher is ending";
    HANDLE waits[] = {answer->done.Get(), closing_.Get()};
    switch (WaitForMultipleObjects(2, waits, FALSE, kAnswerWithinMs)) {
    case WAIT_OBJECT_0: return kit::ToUtf8(answer->why);
    case WAIT_OBJECT_0 + 1: return "the launcher is ending";
    default: return "the launcher is busy; try again";
    }
}

std::string BarCommands::StatusJson()
{
    // The file is replaced in one step: a read that meets the replacement tries again.
    std::string bytes;
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (kit::ReadFileBytes(statusFile_, bytes, kMostStatusBytes)) return bytes;
        Sleep(20);
    }
    return "{\"state\": \"unknown\"}";
}

void BarCommands::Log(const std::wstring& line)
{
    Logger log = log_;
    kit::PostToWindow(bar_, message_, [log, line] { log(line); });
}

}  // namespace remote
