#include "launcher/health/PictureSampler.h"

#include <algorithm>
#include <cwctype>

#include "framework/ProcessList.h"
#include "launcher/health/HeartbeatListener.h"
#include "launcher/pictures/ScreenPicture.h"

namespace health {

namespace {

// A locked session, the log-on screen or a consent prompt shows another desktop: what the
// screen then reads (black as a rule) is not the effect's picture.
bool InputDesktopIsShown()
{
    HDESK input = OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS);
    if (!input) return false;
    wchar_t name[64] = L"";
    DWORD needed = 0;
    bool ours = GetUserObjectInformationW(input, UOI_NAME, name, sizeof(name), &needed) && _wcsicmp(name, L"Default") == 0;
    CloseDesktop(input);
    return ours;
}

}  // namespace

PictureSampler::PictureSampler(const HealthSettings& settings, const HeartbeatListener* beats, Tell tell, Note note)
    : settings_(settings), beats_(beats), tell_(std::move(tell)), note_(std::move(note)), stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

PictureSampler::~PictureSampler()
{
    Stop();
}

unsigned PictureSampler::Look(Pids pids, DWORD graceMs, const std::wstring& path)
{
    Stop();
    ++number_;
    pids_ = std::move(pids);
    graceMs_ = graceMs;
    path_ = path;
    ResetEvent(stop_.Get());
    thread_.Reset(CreateThread(nullptr, 64 * 1024, ThreadMain, this, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    return number_;
}

void PictureSampler::Stop()
{
    if (!thread_) return;
    SetEvent(stop_.Get());
    WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Reset();
}

DWORD WINAPI PictureSampler::ThreadMain(void* self)
{
    static_cast<PictureSampler*>(self)->Run();
    return 0;
}

void PictureSampler::Run()
{
    const DWORD frozenSeconds = settings_.FrozenSecondsFor(path_);
    const bool samples = settings_.blackSeconds != 0 || frozenSeconds != 0;
    PictureJudge judge(settings_.blackSeconds * 1000ULL, frozenSeconds * 1000ULL);
    const unsigned number = number_;
    const ULONGLONG start = GetTickCount64();
    while (WaitForSingleObject(stop_.Get(), kLookMs) == WAIT_TIMEOUT) {
        ULONGLONG now = GetTickCount64();
        // A cover is pushed under from the start; the effect is judged after its grace.
        const bool judging = now - start >= graceMs_;
        // Only beats since this effect's start count: one that beat before belongs to another.
        ULONGLONG beat = beats_ ? beats_->LastBeat() : 0;
        if (judging && beat >= start && now - beat >= settings_.heartbeatSeconds * 1000ULL) {
            PictureFault fault;
            fault.silent = true;
            fault.lastedMs = now - beat;
            tell_(number, fault);
            return;
        }
        std::vector<DWORD> pids = pids_();
        HWND window = LargestWindow(pids);
        RECT area{};
        std::vector<std::uint8_t> luma;
        if (window && !IsIconic(window) && GetWindowRect(window, &area) && InputDesktopIsShown()) {
            // Uncovered first, so that the picture judged is the effect's own.
            Uncover(window, pids, now);
            if (judging && samples) luma = Thumbnail(area);
        }
        if (luma.empty()) {
            // No picture of it to judge (not yet shown, minimised, off the desktop).
            judge.Reset();
            continue;
        }
        PictureFault fault;
        fault.verdict = judge.Look(luma, now, fault.lastedMs);
        if (fault.verdict != PictureJudge::Fine) {
            // A window that does not answer is the hang check's: its picture stands still too.
            DWORD_PTR answer = 0;
            if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 300, &answer)) continue;
            tell_(number, fault);
            return;
        }
    }
}

namespace {

struct LargestSearch {
    const std::vector<DWORD>* pids;
    HWND best = nullptr;
    LONGLONG bestArea = 0;
};

BOOL CALLBACK CompareWindow(HWND window, LPARAM param)
{
    auto& s = *reinterpret_cast<LargestSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (!IsWindowVisible(window) || std::find(s.pids->begin(), s.pids->end(), pid) == s.pids->end()) return TRUE;
    RECT r{};
    if (!GetWindowRect(window, &r)) return TRUE;
    LONGLONG area = LONGLONG(r.right - r.left) * (r.bottom - r.top);
    if (area > s.bestArea) {
        s.best = window;
        s.bestArea = area;
    }
    return TRUE;
}

}  // namespace

HWND PictureSampler::LargestWindow(const std::vector<DWORD>& pids)
{
    if (pids.empty()) return nullptr;
    LargestSearch search{&pids};
    EnumWindows(CompareWindow, reinterpret_cast<LPARAM>(&search));
    return search.best;
}

namespace {

LONGLONG Area(const RECT& r)
{
    return r.right > r.left && r.bottom > r.top ? LONGLONG(r.right - r.left) * (r.bottom - r.top) : 0;
}

std::wstring ProgramOf(DWORD pid)
{
    kit::UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    return process ? kit::ProcessImagePath(process.Get()) : std::wstring();
}

}  // namespace

HWND PictureSampler::Coverer(HWND effect, const std::vector<DWORD>& pids)
{
    RECT mine{};
    if (!GetWindowRect(effect, &mine) || Area(mine) == 0) return nullptr;
    const DWORD launcher = GetCurrentProcessId();
    // Top-level windows come from the top down: only those before the effect's lie above it.
    for (HWND window = GetTopWindow(nullptr); window && window != effect; window = GetWindow(window, GW_HWNDNEXT)) {
        if (!IsWindowVisible(window) || IsIconic(window)) continue;
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        if (pid == launcher || std::find(pids.begin(), pids.end(), pid) != pids.end()) continue;
        RECT theirs{}, both{};
        if (!GetWindowRect(window, &theirs) || !IntersectRect(&both, &mine, &theirs)) continue;
        if (Area(both) * 4 <= Area(mine)) continue;
        // The supervision deals with a crash dialog; pushing it under would only hide it.
        std::wstring image = ProgramOf(pid);
        image = image.substr(image.find_last_of(L"\\/") + 1);
        std::transform(image.begin(), image.end(), image.begin(), towlower);
        if (!kit::IsCrashDialog(image)) return window;
    }
    return nullptr;
}

void PictureSampler::Uncover(HWND effect, const std::vector<DWORD>& pids, ULONGLONG now)
{
    HWND coverer = Coverer(effect, pids);
    if (!coverer) return;
    // Raising a window waits for its thread: one that does not answer would hold this thread,
    // and with it the launcher's end. It is the hang check's.
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(effect, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, 300, &answer)) return;
    DWORD pid = 0;
    GetWindowThreadProcessId(coverer, &pid);
    wchar_t title[128] = L"";
    GetWindowTextW(coverer, title, 128);
    std::wstring program = ProgramOf(pid);
    // Topmost only over a topmost coverer: an effect made topmost would hide the operator's
    // bar and settings sheet as well.
    bool topmost = (GetWindowLongPtrW(coverer, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    bool raised = SetWindowPos(effect, topmost ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
                               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS) != FALSE;
    std::wstring outcome = raised ? L"effect back on top"
                                  : L"effect could not be put back on top (error " + std::to_wstring(GetLastError()) + L")";
    std::wstring name = program.substr(program.find_last_of(L"\\/") + 1);
    CoverTally::Telling telling = covers_.Covered(program.empty() ? name : program, now);
    if (telling == CoverTally::Quiet) return;
    note_(L"covered " + path_ + L" by " + (name.empty() ? L"process " + std::to_wstring(pid) : name) + L" \"" +
          title + L"\", " + outcome);
    if (telling == CoverTally::Nuisance)
        note_(L"nuisance: " + (program.empty() ? name : program) + L" covers the effect more than " +
              std::to_wstring(CoverTally::kNuisanceCount) + L" times a minute; its covers are logged again in an hour");
}

std::vector<std::uint8_t> PictureSampler::Thumbnail(const RECT& area)
{
    // Only what lies on the desktop's monitors is the projection.
    RECT desktop{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    desktop.right = desktop.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    desktop.bottom = desktop.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    RECT seen{};
    if (!IntersectRect(&seen, &area, &desktop)) return {};

    std::vector<unsigned char> pixels;
    std::vector<std::uint8_t> luma;
    if (!pictures::ShrinkScreenArea(seen, kWidth, kHeight, pixels)) return luma;
    luma.resize(kWidth * kHeight);
    for (size_t i = 0; i < luma.size(); ++i) {
        const unsigned char* pixel = &pixels[i * 4];
        luma[i] = static_cast<std::uint8_t>((pixel[0] * 19 + pixel[1] * 183 + pixel[2] * 54) >> 8);
    }
    return luma;
}

}  // namespace health
