#pragma once
// What the supervision tells beyond its own files (the webhook, the pictures of failures).
// Called on the bar's thread; a listener hands anything slow to a thread of its own.
#include <string>

namespace supervision {

class EventSink {
public:
    virtual ~EventSink() = default;
    // Just before the supervision ends a failed effect whose picture may still show (hang,
    // crash dialog, black, frozen, silent): from the watch's thread or the bar's, and quick.
    virtual void EffectEnding(const std::string& reason) = 0;
    // `reason` is the failure's kind as the status file names it ("crash", "hang", "black" …);
    // `detail` the log line that told it.
    virtual void EffectFailed(const std::wstring& path, const std::string& reason, const std::wstring& detail) = 0;
    virtual void SetAside(const std::wstring& path, const std::wstring& detail) = 0;
    virtual void SetAsideOver(const std::wstring& path) = 0;
    virtual void StandbyOn(const std::wstring& why) = 0;
    virtual void StandbyOff() = 0;
};

}  // namespace supervision
