#include "tests/support/SupervisedInstall.h"

#include <cstdio>
#include <cstdlib>

namespace e2e {
namespace {

std::string Narrow(const std::wstring& text)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &bytes[0], size, nullptr, nullptr);
    bytes.resize(bytes.size() - 1);
    return bytes;
}

std::wstring Base(const std::wstring& path)
{
    return path.substr(0, path.size() - 4);
}

}  // namespace

SupervisedInstall::SupervisedInstall(const std::wstring& name, const std::vector<SupervisedEffect>& effects,
                                     const std::string& supervise, const std::string& minutes)
    : install_(new StagedInstall(name))
{
    install_->WriteConfig("[config]\r\nauto=0\r\nDEVICETYPE=0\r\ncheck360 =0\r\n[supervise]\r\n" + supervise);
    title_ = UseBarLanguage(*install_);
    CreateDirectoryW(install_->Path(L"effects\\sv").c_str(), nullptr);
    std::vector<PlaylistEntry> entries;
    for (size_t i = 0; i < effects.size(); ++i) {
        std::wstring program = effects[i].program;
        if (program.empty()) program = L"fxSv" + std::wstring(1, static_cast<wchar_t>(L'A' + i)) + L".exe";
        paths_.push_back(install_->Path(L"effects\\sv\\" + program));
        if (program.find(L'\\') != std::wstring::npos)
            CreateDirectoryW(paths_.back().substr(0, paths_.back().rfind(L'\\')).c_str(), nullptr);
        KillProcesses(Image(i));
        if (effects[i].present) PutProgram(i);
        SetFault(i, effects[i].fault);
        entries.push_back({paths_.back(), minutes});
    }
    WritePlaylist(*install_, entries);
}

SupervisedInstall::~SupervisedInstall()
{
    launcher_.reset();
    for (size_t i = 0; i < paths_.size(); ++i) KillProcesses(Image(i));
    KillProcesses(L"winedbg.exe");
}

void SupervisedInstall::Start()
{
    launcher_.reset(new RunningLauncher(*install_, title_));
}

void SupervisedInstall::SetFault(size_t effect, const std::string& fault)
{
    std::wstring file = Base(paths_[effect]) + L".fault";
    if (fault.empty()) DeleteFileW(file.c_str());
    else WriteBytes(file, fault + "\r\n");
}

void SupervisedInstall::PutProgram(size_t effect)
{
    CopyFileW((BinFolder() + L"\\pavora_faulty_effect.exe").c_str(), paths_[effect].c_str(), FALSE);
}

void SupervisedInstall::PutBrokenProgram(size_t effect)
{
    WriteBytes(paths_[effect], "half a program, copied when the disk filled up");
}

std::vector<SupervisedInstall::StartRecord> SupervisedInstall::Starts(size_t effect) const
{
    std::vector<StartRecord> starts;
    std::string text = ReadBytes(Base(paths_[effect]) + L".starts");
    const char* cursor = text.c_str();
    unsigned long pid = 0;
    unsigned long long tick = 0;
    int used = 0;
    while (std::sscanf(cursor, "%lu %llu%n", &pid, &tick, &used) == 2) {
        starts.push_back({static_cast<DWORD>(pid), tick});
        cursor += used;
    }
    return starts;
}

bool SupervisedInstall::WaitForStarts(size_t effect, size_t count, DWORD timeoutMs) const
{
    ULONGLONG until = GetTickCount64() + timeoutMs;
    while (Starts(effect).size() < count) {
        if (GetTickCount64() > until) return false;
        Pump(20);
    }
    return true;
}

std::string SupervisedInstall::Log() const
{
    return ReadBytes(install_->Path(L"log\\pavora.log"));
}

bool SupervisedInstall::WaitForLog(const std::string& text, DWORD timeoutMs) const
{
    ULONGLONG until = GetTickCount64() + timeoutMs;
    while (Log().find(text) == std::string::npos) {
        if (GetTickCount64() > until) return false;
        Pump(20);
    }
    return true;
}

std::string SupervisedInstall::Status() const
{
    return ReadBytes(install_->Path(L"log\\status.json"));
}

void SupervisedInstall::ShiftClock(unsigned seconds)
{
    WriteBytes(install_->Path(L"clock-shift.txt"), std::to_string(seconds));
}

int CrashDialogCount()
{
    return CountProcesses(L"winedbg.exe") + CountProcesses(L"WerFault.exe");
}

std::string JsonString(const std::wstring& text)
{
    std::string out = "\"";
    for (char c : Narrow(text)) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

}  // namespace e2e
