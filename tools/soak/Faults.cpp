#include "tools/soak/Faults.h"

#include <commctrl.h>
#include <prsht.h>
#include <tlhelp32.h>

#include <algorithm>
#include <random>

#include "framework/Handles.h"

namespace soak {
namespace {

const UINT kEffectCommandMessage = WM_APP + 1;
const int kSettingsButton = 1000;                                 // IDC_BTN_SETTING
const int kFilterRadios[] = {5082, 5040, 5094};                   // IDC_GENERAL_FILTER_NONE, _LARGEST_X, _SMALLEST_X
const int kGeneralPage = 1;                                       // its place in the sheet's list
const int kSheetList = 0x3F00;

struct KindInfo {
    Kind kind;
    const char* name;
};

const KindInfo kKinds[] = {
    {Kind::EffectCleanExit, "effect: clean exit (Esc)"},
    {Kind::EffectExitCode, "effect: exit with a code"},
    {Kind::EffectCrash, "effect: crash"},
    {Kind::EffectCrashDialog, "effect: crash dialog"},
    {Kind::EffectHang, "effect: hang"},
    {Kind::EffectBusy, "effect: busy, under hangseconds"},
    {Kind::EffectBlack, "effect: picture black"},
    {Kind::EffectFrozen, "effect: picture frozen"},
    {Kind::EffectCovered, "effect: covered by a window"},
    {Kind::EffectHeartbeatSilent, "effect: heartbeat silent"},
    {Kind::EffectProgramGone, "effect: program gone and back"},
    {Kind::LauncherCrash, "launcher: crash"},
    {Kind::LauncherHang, "launcher: hang"},
    {Kind::LauncherEnd, "launcher: abrupt end"},
    {Kind::GuardianEnd, "guardian: ended"},
    {Kind::ClockForward, "clock: forward 1 h"},
    {Kind::ClockBack, "clock: back 1 h"},
    {Kind::ClockAcrossMidnight, "clock: across midnight"},
    {Kind::TickEdge31, "clock: tick count 2^31"},
    {Kind::TickEdge32, "clock: tick count 2^32"},
    {Kind::SettingsSaved, "operator: settings saved"},
    {Kind::LogUnwritable, "operator: log folder unwritable"},
};

bool Starts(const std::string& line, const char* prefix)
{
    return line.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

bool AnyHas(const std::vector<std::string>& lines, const std::string& text)
{
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; });
}

bool SpeaksOfAFault(const std::string& line)
{
    for (const char* prefix :
         {"exit ", "crash ", "hang ", "not started ", "could not start ", "black ", "frozen ", "no heartbeat from "})
        if (Starts(line, prefix)) return true;
    return false;
}

bool HasExitCode(const std::vector<std::string>& lines, unsigned code)
{
    std::string text = " code " + std::to_string(code);
    for (const std::string& line : lines) {
        size_t at = line.find(text);
        if (Starts(line, "exit ") && at != std::string::npos &&
            (at + text.size() == line.size() || line[at + text.size()] == ' '))
            return true;
    }
    return false;
}

bool NamesTheSoakAsCoverer(const std::string& line)
{
    std::string lower = line;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
    std::string title;
    for (const wchar_t* c = kCoverTitle; *c; ++c) title += static_cast<char>(*c >= L'A' && *c <= L'Z' ? *c + 32 : *c);
    return Starts(lower, "covered ") && lower.find(" by pavora_soak.exe \"" + title + "\"") != std::string::npos;
}

}  // namespace

const wchar_t kCoverTitle[] = L"Pavora soak: covering window";

const char* KindName(Kind kind)
{
    for (const KindInfo& info : kKinds)
        if (info.kind == kind) return info.name;
    return "?";
}

bool IsEffectFault(Kind kind)
{
    return kind <= Kind::EffectProgramGone;
}

bool KillsLauncher(Kind kind)
{
    return kind == Kind::LauncherCrash || kind == Kind::LauncherHang || kind == Kind::LauncherEnd;
}

std::vector<Planned> Plan(size_t count, unsigned seed, const Available& available)
{
    std::mt19937 random(seed);
    std::vector<Kind> round;
    for (const KindInfo& info : kKinds) {
        Kind k = info.kind;
        bool needsGuardian = KillsLauncher(k) || k == Kind::GuardianEnd;
        bool needsLocalTime = k == Kind::ClockForward || k == Kind::ClockBack || k == Kind::ClockAcrossMidnight;
        if ((needsGuardian && !available.guardian) || (needsLocalTime && !available.localTime)) continue;
        if ((k == Kind::EffectBlack || k == Kind::EffectFrozen) && !available.picture) continue;
        if ((k == Kind::EffectCovered && !available.covered) || (k == Kind::EffectHeartbeatSilent && !available.heartbeat))
            continue;
        if (KillsLauncher(k)) continue;
        round.push_back(k);
    }
    std::vector<Kind> deaths;
    if (available.guardian && available.deaths) deaths = {Kind::LauncherCrash, Kind::LauncherHang, Kind::LauncherEnd};
    std::shuffle(deaths.begin(), deaths.end(), random);
    std::vector<Planned> plan;
    for (size_t number = 0; plan.size() < count; ++number) {
        std::vector<Kind> kinds = round;
        if (!deaths.empty()) kinds.push_back(deaths[number % deaths.size()]);
        std::shuffle(kinds.begin(), kinds.end(), random);
        for (Kind k : kinds) {
            if (plan.size() == count) break;
            unsigned value = 0;
            if (k == Kind::EffectExitCode) value = std::uniform_int_distribution<unsigned>(1, 255)(random);
            // Well under the 3 s that make a hang, with the second the probes come apart.
            if (k == Kind::EffectBusy) value = std::uniform_int_distribution<unsigned>(500, 1500)(random);
            plan.push_back({k, value});
        }
    }
    return plan;
}

bool Logged(const Planned& fault, const std::vector<std::string>& launcher, const std::vector<std::string>& guard)
{
    auto either = [&](const char* text) { return AnyHas(launcher, text) || AnyHas(guard, text); };
    switch (fault.kind) {
    case Kind::EffectCleanExit: return HasExitCode(launcher, 0);
    case Kind::EffectExitCode: return HasExitCode(launcher, fault.value);
    case Kind::EffectCrash:
        return std::any_of(launcher.begin(), launcher.end(), [](const std::string& l) { return Starts(l, "crash "); });
    case Kind::EffectCrashDialog: return AnyHas(launcher, "crash dialog");
    case Kind::EffectHang: return AnyHas(launcher, "no answer for");
    case Kind::EffectBusy: return std::none_of(launcher.begin(), launcher.end(), SpeaksOfAFault);
    case Kind::EffectBlack:
        return std::any_of(launcher.begin(), launcher.end(), [](const std::string& l) { return Starts(l, "black "); });
    case Kind::EffectFrozen:
        return std::any_of(launcher.begin(), launcher.end(), [](const std::string& l) { return Starts(l, "frozen "); });
    case Kind::EffectHeartbeatSilent:
        return std::any_of(launcher.begin(), launcher.end(),
                           [](const std::string& l) { return Starts(l, "no heartbeat from "); });
    case Kind::EffectCovered:
        return std::any_of(launcher.begin(), launcher.end(), NamesTheSoakAsCoverer) &&
               std::none_of(launcher.begin(), launcher.end(), SpeaksOfAFault);
    case Kind::EffectProgramGone: return AnyHas(launcher, "missing program") && AnyHas(launcher, "program back");
    case Kind::LauncherCrash: return either("launcher restarted by its guardian after crash");
    case Kind::LauncherHang: return either("launcher restarted by its guardian after hang");
    case Kind::LauncherEnd: return either("launcher restarted by its guardian after end");
    case Kind::GuardianEnd: return AnyHas(launcher, "guardian");
    case Kind::ClockForward:
    case Kind::ClockBack:
    case Kind::ClockAcrossMidnight:
    case Kind::TickEdge31:
    case Kind::TickEdge32: return AnyHas(launcher, "clock moved");
    case Kind::SettingsSaved: return AnyHas(launcher, "settings saved");
    case Kind::LogUnwritable: return AnyHas(launcher, "log could not be written");
    case Kind::Count: break;
    }
    return false;
}

bool CommandEffect(HWND window, EffectCommand command, LPARAM value)
{
    return PostMessageW(window, kEffectCommandMessage, command, value) != FALSE;
}

bool PressEscape(HWND window)
{
    return PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0) != FALSE;
}

CoveringWindow::CoveringWindow() : shown_(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    thread_ = CreateThread(nullptr, 0, ThreadMain, this, 0, &threadId_);
    if (thread_) WaitForSingleObject(shown_, 5000);
}

CoveringWindow::~CoveringWindow()
{
    if (thread_) {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, 5000);
        CloseHandle(thread_);
    }
    CloseHandle(shown_);
}

DWORD WINAPI CoveringWindow::ThreadMain(void* param)
{
    auto* self = static_cast<CoveringWindow*>(param);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"PavoraSoakCover";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    RegisterClassW(&wc);
    // Three fifths each way: over the sampled centre, and well over the quarter of the
    // effect's window that makes a cover.
    int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, kCoverTitle, WS_POPUP,
                                  width / 5, height / 5, width * 3 / 5, height * 3 / 5, nullptr, nullptr, wc.hInstance,
                                  nullptr);
    if (window) {
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
        UpdateWindow(window);
    }
    self->window_ = window;
    SetEvent(self->shown_);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    if (window) DestroyWindow(window);
    return 0;
}

bool CrashRemotely(DWORD pid)
{
    kit::UniqueHandle process(OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                                              PROCESS_VM_WRITE | PROCESS_VM_READ,
                                          FALSE, pid));
    if (!process) return false;
    // No code lives at address 0: the thread's first instruction faults.
    kit::UniqueHandle thread(CreateRemoteThread(process.Get(), nullptr, 0, nullptr, nullptr, 0, nullptr));
    return thread.Valid();
}

bool SuspendAllThreads(DWORD pid)
{
    kit::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot) return false;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    int suspended = 0;
    for (BOOL more = Thread32First(snapshot.Get(), &entry); more; more = Thread32Next(snapshot.Get(), &entry)) {
        if (entry.th32OwnerProcessID != pid) continue;
        kit::UniqueHandle thread(OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID));
        if (thread && SuspendThread(thread.Get()) != static_cast<DWORD>(-1)) ++suspended;
    }
    return suspended > 0;
}

bool EndAbruptly(DWORD pid)
{
    kit::UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, pid));
    return process && TerminateProcess(process.Get(), 1);
}

namespace {

HWND WaitForSheet(HWND bar, DWORD timeoutMs)
{
    for (ULONGLONG start = GetTickCount64(); GetTickCount64() - start < timeoutMs; Sleep(50))
        for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, L"#32770", nullptr));)
            if (GetWindow(window, GW_OWNER) == bar && IsWindowVisible(window)) return window;
    return nullptr;
}

HWND PageWith(HWND sheet, int id)
{
    for (HWND child = GetWindow(sheet, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgItem(child, id)) return child;
    return nullptr;
}

LRESULT SendTimed(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &answer);
    return static_cast<LRESULT>(answer);
}

}  // namespace

bool SaveSettingsInSheet(HWND bar, std::string& problem)
{
    HWND button = GetDlgItem(bar, kSettingsButton);
    PostMessageW(bar, WM_COMMAND, MAKEWPARAM(kSettingsButton, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    HWND sheet = WaitForSheet(bar, 15000);
    if (!sheet) return problem = "the settings sheet did not open", false;
    HWND list = FindWindowExW(sheet, nullptr, L"ListBox", nullptr);
    SendTimed(list, LB_SETCURSEL, kGeneralPage, 0);
    SendTimed(sheet, WM_COMMAND, MAKEWPARAM(kSheetList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    HWND page = nullptr;
    for (int i = 0; i < 100 && !(page = PageWith(sheet, kFilterRadios[0])); ++i) Sleep(50);
    if (page) {
        // The filter the operator did not choose, so that the sheet has something to write.
        int now = 0;
        for (int i = 0; i < 3; ++i)
            if (SendTimed(GetDlgItem(page, kFilterRadios[i]), BM_GETCHECK, 0, 0) == BST_CHECKED) now = i;
        int chosen = now == 0 ? 1 : 0;
        for (int i = 0; i < 3; ++i)
            SendTimed(GetDlgItem(page, kFilterRadios[i]), BM_SETCHECK, i == chosen ? BST_CHECKED : BST_UNCHECKED, 0);
        HWND radio = GetDlgItem(page, kFilterRadios[chosen]);
        SendTimed(page, WM_COMMAND, MAKEWPARAM(kFilterRadios[chosen], BN_CLICKED), reinterpret_cast<LPARAM>(radio));
    } else {
        problem = "the general page did not show; ";
    }
    PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    for (int i = 0; i < 300 && IsWindow(sheet); ++i) Sleep(50);
    if (IsWindow(sheet)) return problem += "the sheet did not close on OK", false;
    return page != nullptr;
}

LogFolderHeld::LogFolderHeld(const std::wstring& logFolder)
    : folder_(logFolder), attributes_(GetFileAttributesW(logFolder.c_str()))
{
    for (const wchar_t* name : {L"pavora.log", L"status.json"}) {
        // The fault often comes just as the launcher logs an effect's start: its own open of
        // the file makes ours fail for a moment, and a hold that missed tests nothing.
        for (int attempt = 0; attempt < 100; ++attempt) {
            HANDLE file = CreateFileW((folder_ + L"\\" + name).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file != INVALID_HANDLE_VALUE) {
                held_.push_back(file);
                break;
            }
            if (GetLastError() != ERROR_SHARING_VIOLATION) break;
            Sleep(20);
        }
    }
    if (attributes_ != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(folder_.c_str(), attributes_ | FILE_ATTRIBUTE_READONLY);
}

LogFolderHeld::~LogFolderHeld()
{
    if (attributes_ != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(folder_.c_str(), attributes_);
    for (HANDLE file : held_) CloseHandle(file);
}

}  // namespace soak
