#include "launcher/pictures/FailureShots.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "framework/FileBytes.h"
#include "launcher/pictures/ScreenPicture.h"

namespace pictures {

namespace {

constexpr unsigned long long kProblemEveryMs = 60ull * 60 * 1000;

// Only what may stand in a file name.
std::wstring FileKind(const std::string& kind)
{
    std::wstring text;
    for (char c : kind) text += (isalnum(static_cast<unsigned char>(c)) || c == '-') ? wchar_t(c) : L'_';
    return text.empty() ? L"failure" : text;
}

}  // namespace

FailureShots::FailureShots(std::wstring logFolder, std::function<void(const std::wstring&)> log,
                           unsigned long long screenPeriodMs)
    : folder_(std::move(logFolder)), shots_(folder_ + L"\\shots"), log_(std::move(log)), screenPeriodMs_(screenPeriodMs)
{
    thread_ = std::thread([this] { Run(); });
}

FailureShots::~FailureShots()
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void FailureShots::Keep(const std::string& kind)
{
    Queue({kind, std::string()});
}

void FailureShots::KeepNow(const std::string& kind)
{
    std::string png;
    if (Capture(png)) Queue({kind, std::move(png)});
}

void FailureShots::Queue(Wanted wanted)
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        // A burst of failures needs no more pictures than a thread can take.
        if (wanted_.size() >= 8) return;
        wanted_.push_back(std::move(wanted));
    }
    wake_.notify_all();
}

void FailureShots::Run()
{
    ULONGLONG nextScreen = screenPeriodMs_ ? GetTickCount64() : 0;
    std::unique_lock<std::mutex> hold(lock_);
    while (!stopping_) {
        if (!wanted_.empty()) {
            Wanted wanted = std::move(wanted_.front());
            wanted_.pop_front();
            hold.unlock();
            if (!wanted.png.empty() || Capture(wanted.png)) Write(wanted.kind, wanted.png);
            hold.lock();
            continue;
        }
        ULONGLONG now = GetTickCount64();
        if (nextScreen && now >= nextScreen) {
            nextScreen = now + screenPeriodMs_;
            hold.unlock();
            RefreshScreen();
            hold.lock();
            continue;
        }
        auto ready = [this] { return stopping_ || !wanted_.empty(); };
        if (nextScreen) wake_.wait_for(hold, std::chrono::milliseconds(nextScreen - now), ready);
        else wake_.wait(hold, ready);
    }
}

bool FailureShots::Capture(std::string& png)
{
    std::wstring problem;
    if (CapturePrimaryMonitor(kMostWidth, png, problem)) return true;
    ULONGLONG now = GetTickCount64(), last = problemLoggedAt_;
    if (log_ && (last == 0 || now - last >= kProblemEveryMs) && problemLoggedAt_.compare_exchange_strong(last, now)) {
        log_(L"no picture of the projection: " + problem + L" (told once an hour)");
    }
    return false;
}

void FailureShots::Write(const std::string& kind, const std::string& png)
{
    CreateDirectoryW(folder_.c_str(), nullptr);
    CreateDirectoryW(shots_.c_str(), nullptr);
    SYSTEMTIME t = {};
    GetLocalTime(&t);
    wchar_t stamp[32];
    swprintf(stamp, 32, L"%04u-%02u-%02u_%02u%02u%02u_", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
    std::wstring name = shots_ + L"\\" + stamp + FileKind(kind);
    std::wstring path = name + L".png";
    for (int n = 2; GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES && n < 100; ++n)
        path = name + L"-" + std::to_wstring(n) + L".png";
    if (!kit::ReplaceFileBytes(path, png)) {
        if (log_) log_(L"picture " + path + L" could not be written (error " + std::to_wstring(GetLastError()) + L")");
        return;
    }
    Prune();
}

void FailureShots::RefreshScreen()
{
    std::string png;
    if (!Capture(png)) return;
    CreateDirectoryW(folder_.c_str(), nullptr);
    kit::ReplaceFileBytes(folder_ + L"\\screen.png", png);
}

void FailureShots::Prune()
{
    struct Shot {
        std::wstring name;
        unsigned long long bytes;
    };
    std::vector<Shot> shots;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((shots_ + L"\\*.png").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        shots.push_back({found.cFileName, (ULONGLONG(found.nFileSizeHigh) << 32) | found.nFileSizeLow});
    } while (FindNextFileW(find, &found));
    FindClose(find);
    // The names begin with the time: newest last.
    std::sort(shots.begin(), shots.end(), [](const Shot& a, const Shot& b) { return a.name < b.name; });
    unsigned long long total = 0;
    for (const Shot& s : shots) total += s.bytes;
    size_t count = shots.size();
    for (const Shot& s : shots) {
        if (count <= 1 || (count <= kKeep && total <= kMostBytes)) break;
        if (DeleteFileW((shots_ + L"\\" + s.name).c_str())) {
            --count;
            total -= s.bytes;
        }
    }
}

}  // namespace pictures
