#include "tools/soak/Projection.h"

#include <algorithm>

#include "tools/soak/Processes.h"

namespace soak {
namespace {

const DWORD kPeriodMs = 250;
const wchar_t kStandbyClass[] = L"PavoraStandby";

}  // namespace

Projection::Projection(std::vector<std::wstring> effectImages, std::function<bool()> closedNow)
    : effectImages_(std::move(effectImages)), closedNow_(std::move(closedNow)),
      stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

Projection::~Projection()
{
    Stop();
    CloseHandle(stop_);
}

void Projection::Start()
{
    thread_ = std::thread([this] { Run(); });
}

void Projection::Stop()
{
    if (!thread_.joinable()) return;
    SetEvent(stop_);
    thread_.join();
}

Sample Projection::Classify(ULONGLONG now)
{
    Sample s;
    s.tick = now;
    POINT centre = {GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2};
    HWND window = WindowFromPoint(centre);
    if (window) window = GetAncestor(window, GA_ROOT);
    s.window = window;
    if (!window) {
        s.what = L"nothing";
        return s;
    }
    GetWindowThreadProcessId(window, &s.pid);
    wchar_t name[128] = L"";
    GetClassNameW(window, name, 128);
    if (std::wstring(name) == kStandbyClass) {
        s.top = closedNow_() ? Top::ClosedBlack : Top::Standby;
        return s;
    }
    // By window and process: Wine gives a process id to the next process soon after.
    auto cached = std::find_if(images_.begin(), images_.end(),
                               [&](const KnownWindow& k) { return k.window == window && k.pid == s.pid; });
    std::wstring image;
    if (cached != images_.end()) {
        image = cached->image;
    } else {
        image = LowerName(ImagePath(s.pid));
        if (images_.size() > 256) images_.erase(images_.begin());
        if (!image.empty()) images_.push_back({window, s.pid, image});
    }
    if (std::find(effectImages_.begin(), effectImages_.end(), image) != effectImages_.end()) s.top = Top::Effect;
    else s.what = std::wstring(name) + L" of " + (image.empty() ? L"?" : image);
    return s;
}

void Projection::Run()
{
    ULONGLONG last = GetTickCount64();
    do {
        ULONGLONG now = GetTickCount64();
        Sample s = Classify(now);
        bool closed = closedNow_();
        std::lock_guard<std::mutex> hold(lock_);
        if (changes_.empty() || changes_.back().top != s.top || changes_.back().pid != s.pid ||
            changes_.back().window != s.window)
            changes_.push_back(s);
        if (Shows(s)) counting_ = true;
        bool bad = counting_ && !Shows(s);
        if (bad && closed) closedNotBlackMs_ += now - last;
        if (bad && !closed) {
            if (!open_.start) open_ = {now, 0, during_, s.what};
        } else if (open_.start) {
            open_.ms = now - open_.start;
            gaps_.push_back(open_);
            open_ = Gap();
        }
        last = now;
    } while (WaitForSingleObject(stop_, kPeriodMs) == WAIT_TIMEOUT);
    std::lock_guard<std::mutex> hold(lock_);
    if (open_.start) {
        open_.ms = GetTickCount64() - open_.start;
        gaps_.push_back(open_);
        open_ = Gap();
    }
}

Sample Projection::Current() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return changes_.empty() ? Sample() : changes_.back();
}

Sample Projection::FirstSince(ULONGLONG from, const std::function<bool(const Sample&)>& good) const
{
    std::lock_guard<std::mutex> hold(lock_);
    // The change in force at `from` is the last one at or before it.
    auto at = std::upper_bound(changes_.begin(), changes_.end(), from,
                               [](ULONGLONG tick, const Sample& s) { return tick < s.tick; });
    if (at != changes_.begin()) --at;
    for (; at != changes_.end(); ++at) {
        if (!good(*at)) continue;
        Sample found = *at;
        found.tick = std::max(found.tick, from);
        return found;
    }
    return Sample();
}

ULONGLONG Projection::FirstSeen(DWORD pid) const
{
    std::lock_guard<std::mutex> hold(lock_);
    // The start of its latest time on top: an earlier process may have had the same id.
    ULONGLONG seen = 0;
    for (auto at = changes_.rbegin(); at != changes_.rend() && at->top == Top::Effect && at->pid == pid; ++at)
        seen = at->tick;
    return seen;
}

void Projection::SetDuring(const std::string& label)
{
    std::lock_guard<std::mutex> hold(lock_);
    during_ = label;
}

std::vector<Gap> Projection::Gaps() const
{
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<Gap> gaps = gaps_;
    if (open_.start) {
        Gap now = open_;
        now.ms = GetTickCount64() - open_.start;
        gaps.push_back(now);
    }
    return gaps;
}

bool Projection::ScreenReads()
{
    const COLORREF colour = RGB(200, 30, 90);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"PavoraSoakScreenProbe";
    HBRUSH brush = CreateSolidBrush(colour);
    wc.hbrBackground = brush;
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0,
                                  64, 64, nullptr, nullptr, wc.hInstance, nullptr);
    bool reads = false;
    if (window) {
        UpdateWindow(window);
        MSG msg;
        for (int i = 0; i < 20 && !reads; ++i) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            Sleep(25);
            HDC screen = GetDC(nullptr);
            reads = screen && GetPixel(screen, 32, 32) == colour;
            if (screen) ReleaseDC(nullptr, screen);
        }
        DestroyWindow(window);
    }
    UnregisterClassW(wc.lpszClassName, wc.hInstance);
    DeleteObject(brush);
    return reads;
}

ULONGLONG Projection::ClosedNotBlackMs() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return closedNotBlackMs_;
}

}  // namespace soak
