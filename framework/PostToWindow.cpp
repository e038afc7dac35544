#include "framework/PostToWindow.h"

#include <memory>
#include <set>

#include "framework/CriticalSection.h"

namespace kit {
namespace {

using Work = std::function<void()>;

// The work posted and not yet run. Any process may post any message to a window it can find:
// a wParam that is not one of these is no work of ours and is never touched.
struct Outstanding {
    CriticalSection lock;
    std::set<const Work*> works;
};

Outstanding& TheOutstanding()
{
    static Outstanding outstanding;
    return outstanding;
}

}  // namespace

bool PostToWindow(HWND window, UINT message, std::function<void()> work)
{
    std::unique_ptr<Work> posted(new Work(std::move(work)));
    Outstanding& outstanding = TheOutstanding();
    {
        CriticalSection::Lock hold(outstanding.lock);
        outstanding.works.insert(posted.get());
    }
    if (PostMessageW(window, message, reinterpret_cast<WPARAM>(posted.get()), 0)) {
        posted.release();
        return true;
    }
    CriticalSection::Lock hold(outstanding.lock);
    outstanding.works.erase(posted.get());
    return false;
}

void RunPosted(WPARAM work)
{
    const Work* posted = reinterpret_cast<const Work*>(work);
    Outstanding& outstanding = TheOutstanding();
    {
        CriticalSection::Lock hold(outstanding.lock);
        if (!outstanding.works.erase(posted)) return;
    }
    std::unique_ptr<const Work> owned(posted);
    if (*owned) (*owned)();
}

}  // namespace kit
