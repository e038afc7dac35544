#include "tests/support/StagedInstall.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>

#include "framework/Utf8.h"

namespace e2e {
namespace {

std::wstring FolderOf(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

std::wstring Lower(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](wchar_t ch) { return std::towlower(ch); });
    return text;
}

std::wstring Unescape(const std::wstring& text)
{
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\\' && i + 1 < text.size()) {
            wchar_t next = text[i + 1];
            if (next == L'n') { out += L'\n'; ++i; continue; }
            if (next == L'r') { out += L'\r'; ++i; continue; }
            if (next == L't') { out += L'\t'; ++i; continue; }
        }
        out += text[i];
    }
    return out;
}

std::vector<std::wstring> SplitOn(const std::wstring& text, wchar_t separator)
{
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::wstring::npos ? std::wstring::npos : at - start));
        if (at == std::wstring::npos) break;
        start = at + 1;
    }
    return parts;
}

// The installation's own language file, as text.
std::wstring StagedLanguageText()
{
    std::string bytes = ReadBytes(StageFolder() + L"\\Bin\\language.txt");
    size_t start = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                           static_cast<unsigned char>(bytes[1]) == 0xFE
                       ? 2
                       : 0;
    std::wstring text((bytes.size() - start) / 2, L'\0');
    memcpy(&text[0], bytes.data() + start, text.size() * 2);
    return text;
}

// The launcher's read-only clearing (a command shell running attrib) outlives a launcher
// ended mid-start; under Wine such a shell now and then never ends. It gets its time, then
// it and its attrib are ended, so that no run leaves it behind.
void EndShellsLeftBy(DWORD launcher)
{
    for (HANDLE shell : ChildrenOf(launcher, L"cmd.exe")) {
        if (WaitForSingleObject(shell, 10000) == WAIT_TIMEOUT) {
            for (HANDLE attrib : ChildrenOf(GetProcessId(shell), L"attrib.exe")) {
                TerminateProcess(attrib, 1);
                CloseHandle(attrib);
            }
            TerminateProcess(shell, 1);
        }
        CloseHandle(shell);
    }
}

}  // namespace

std::wstring BinFolder()
{
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return FolderOf(path);
}

std::wstring StageFolder()
{
    return FolderOf(BinFolder()) + L"\\stage";
}

StagedInstall::StagedInstall(const std::wstring& name)
{
    std::wstring runs = FolderOf(BinFolder()) + L"\\e2e-runs";
    CreateDirectoryW(runs.c_str(), nullptr);
    folder_ = runs + L"\\" + name;
    RemoveTree(folder_);
    CopyTree(StageFolder(), folder_);
    WriteConfig(ReadBytes(Path(L"Bin\\config.ini")));
}

StagedInstall::~StagedInstall()
{
    for (HANDLE process : processes_) {
        if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
        }
        EndShellsLeftBy(GetProcessId(process));
        CloseHandle(process);
    }
}

void StagedInstall::WriteConfig(const std::string& text)
{
    // A guardian would bring back every launcher a test ends: only the tests that say so get one.
    WriteBytes(Path(L"Bin\\config.ini"),
               text.find("[guard]") == std::string::npos ? text + "\r\n[guard]\r\non=0\r\n" : text);
}

void StagedInstall::WriteLanguage(const std::wstring& text)
{
    std::string bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    WriteBytes(Path(L"Bin\\language.txt"), bytes);
}

std::wstring StagedInstall::UseUniqueTitle()
{
    wchar_t unique[64];
    _snwprintf(unique, 63, L"PavoraTest-%lu-%lu", GetCurrentProcessId(), GetTickCount());
    unique[63] = L'\0';
    std::wstring title = unique;
    std::wstring text;
    for (const std::wstring& line : SplitOn(StagedLanguageText(), L'\n')) {
        std::wstring trimmed = line;
        trimmed.erase(0, trimmed.find_first_not_of(L" \t"));
        if (trimmed.compare(0, 2, L"6`") == 0 || trimmed.compare(0, 2, L"6 ") == 0) continue;
        text += line + L"\n";
    }
    text += L"6`" + title + L"` `" + title + L"`\n";  // language n is the text after backtick 2n-1
    WriteLanguage(text);
    return title;
}

HANDLE StagedInstall::Launch(const std::wstring& program, int answer, const std::wstring& startFolder)
{
    std::wstring log = Path(L"messageboxes.log");
    SetEnvironmentVariableW(L"PAVORA_MESSAGEBOX_LOG", log.c_str());
    SetEnvironmentVariableW(L"PAVORA_SYSTEM_CURSOR_LOG", Path(L"system-cursor.log").c_str());
    SetEnvironmentVariableW(L"PAVORA_CLOCK_SHIFT_FILE", Path(L"clock-shift.txt").c_str());
    std::wstring answerText = answer ? std::to_wstring(answer) : std::wstring();
    SetEnvironmentVariableW(L"PAVORA_MESSAGEBOX_ANSWER", answer ? answerText.c_str() : nullptr);

    std::wstring commandLine = L"\"" + Path(program) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    BOOL started = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                  startFolder.empty() ? folder_.c_str() : startFolder.c_str(), &startup, &info);
    SetEnvironmentVariableW(L"PAVORA_MESSAGEBOX_LOG", nullptr);
    SetEnvironmentVariableW(L"PAVORA_SYSTEM_CURSOR_LOG", nullptr);
    SetEnvironmentVariableW(L"PAVORA_CLOCK_SHIFT_FILE", nullptr);
    SetEnvironmentVariableW(L"PAVORA_MESSAGEBOX_ANSWER", nullptr);
    if (!started) return nullptr;
    CloseHandle(info.hThread);
    processes_.push_back(info.hProcess);
    return info.hProcess;
}

HWND StagedInstall::WaitForWindow(const std::wstring& title, DWORD timeoutMs, bool visible, HANDLE owner)
{
    DWORD start = GetTickCount();
    DWORD ownerPid = owner ? GetProcessId(owner) : 0;
    for (;;) {
        for (HWND window = FindWindowExW(nullptr, nullptr, nullptr, title.c_str()); window;
             window = FindWindowExW(nullptr, window, nullptr, title.c_str())) {
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            if ((!ownerPid || pid == ownerPid) && (!visible || IsWindowVisible(window))) return window;
        }
        if (owner && WaitForSingleObject(owner, 0) == WAIT_OBJECT_0) return nullptr;
        if (GetTickCount() - start > timeoutMs) return nullptr;
        Pump(20);
    }
}

std::vector<MessageBoxRecord> StagedInstall::MessageBoxes() const
{
    std::vector<MessageBoxRecord> records;
    std::wstring text = kit::FromUtf8(ReadBytes(Path(L"messageboxes.log")));
    for (const std::wstring& line : SplitOn(text, L'\n')) {
        if (line.empty()) continue;
        std::vector<std::wstring> fields = SplitOn(line, L'\t');
        if (fields.size() < 4) continue;
        records.push_back({Unescape(fields[0]), Unescape(fields[1]), Unescape(fields[2]),
                           static_cast<UINT>(std::stoul(fields[3]))});
    }
    return records;
}

bool StagedInstall::WaitForMessageBoxes(size_t count, DWORD timeoutMs) const
{
    DWORD start = GetTickCount();
    while (MessageBoxes().size() < count) {
        if (GetTickCount() - start > timeoutMs) return false;
        Pump(20);
    }
    return true;
}

void StagedInstall::CopyProgram(const std::wstring& fromBin, const std::wstring& toRelative)
{
    CopyFileW((BinFolder() + L"\\" + fromBin).c_str(), Path(toRelative).c_str(), FALSE);
}

int CountProcesses(const std::wstring& imageName)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    int count = 0;
    std::wstring wanted = Lower(imageName);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (Lower(entry.szExeFile) == wanted) ++count;
    CloseHandle(snapshot);
    return count;
}

void KillProcesses(const std::wstring& imageName)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    std::wstring wanted = Lower(imageName);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (Lower(entry.szExeFile) != wanted) continue;
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (!process) continue;
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
    CloseHandle(snapshot);
}

bool WaitForProcessCount(const std::wstring& imageName, int count, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (CountProcesses(imageName) != count) {
        if (GetTickCount() - start > timeoutMs) return false;
        Pump(25);
    }
    return true;
}

std::vector<HANDLE> ChildrenOf(DWORD parent, const wchar_t* imageName)
{
    std::vector<HANDLE> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return children;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID != parent || _wcsicmp(entry.szExeFile, imageName) != 0) continue;
        if (HANDLE child = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, entry.th32ProcessID))
            children.push_back(child);
    }
    CloseHandle(snapshot);
    return children;
}

bool WaitForExit(HANDLE process, DWORD timeoutMs)
{
    return WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
}

void Pump(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < milliseconds);
}

std::wstring WindowText(HWND window)
{
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, 512);
    return text;
}

}  // namespace e2e
