// Feeds every file reader of the system with damaged variants of a small seed corpus and
// checks its properties: no crash, no hang, no write to its input, and for the files the
// system writes back, a load -> save -> load round trip that keeps what the first load read.
//
//   pavora_fuzz [--inputs N] [--seed S] [--reader NAME] [--time-limit MS] [--from F]
//   (scripts/fuzz.sh N ... runs it in a Wine prefix of its own)
//
// N inputs per reader (inputs F to N - 1 only, with --from: one failure of a long run is
// made again by --from K --inputs K+1 with its seed and reader) (the corpus files first, then variants); prints, per reader, the
// inputs tried, crashes, hangs, round-trip failures and other failures. Every failing input
// is written to fuzz-failures\<reader>\ beside the program: copy it into the reader's corpus
// folder as a .bin file, where it is run as it is, first, on every later run.
//
// Each reader runs in a child process of this program, so that a crash or a hang ends
// only the child; the parent starts a new one after the input that failed. A crashed child
// ends with the exception's code (tests/support/CrashExit.cpp).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "framework/MessageBox.h"
#include "tests/fuzz/Mutator.h"
#include "tests/fuzz/Readers.h"
#include "tests/support/TestFiles.h"

namespace fuzz {
namespace {

struct Options {
    long inputs = 200;
    long from = 0;
    uint32_t seed = 1;
    std::string reader;
    DWORD timeLimit = 10000;
};

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

std::wstring ProgramPath()
{
    wchar_t path[MAX_PATH + 1] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

std::wstring ProgramFolder()
{
    std::wstring path = ProgramPath();
    return path.substr(0, path.rfind(L'\\'));
}

std::vector<std::wstring> FilesOf(const std::wstring& folder, const wchar_t* pattern)
{
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\" + pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return files;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(folder + L"\\" + data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(files.begin(), files.end());
    return files;
}

std::string Utf16Le(const std::string& utf8)
{
    int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    if (length) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
    std::string bytes = "\xff\xfe";
    for (wchar_t unit : wide) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>((unit >> 8) & 0xFF);
    }
    return bytes;
}

bool EndsWith(const std::wstring& text, const std::wstring& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The inputs of one reader, each made again from its number alone: the kept failures
// and the seeds as they are, then variants of the seeds.
class Inputs {
public:
    Inputs(const Reader& reader, size_t readerNumber, uint32_t seed) : readerNumber_(readerNumber), seed_(seed)
    {
        std::wstring folder = Widen(PAVORA_FUZZ_CORPUS) + L"\\" + Widen(reader.name);
        for (const std::wstring& file : FilesOf(folder, L"*.bin")) fixed_.push_back(testing_support::ReadBytes(file));
        for (const std::wstring& file : FilesOf(folder, L"*.seed")) {
            std::string bytes = testing_support::ReadBytes(file);
            bool wide = reader.wideSeeds || EndsWith(file, L".utf16.seed");
            seeds_.push_back(wide ? Utf16Le(bytes) : bytes);
        }
        fixed_.insert(fixed_.end(), seeds_.begin(), seeds_.end());
    }

    bool Empty() const { return seeds_.empty(); }

    std::string operator[](long index) const
    {
        if (static_cast<size_t>(index) < fixed_.size()) return fixed_[static_cast<size_t>(index)];
        uint32_t mixed = seed_ * 0x9E3779B1u + static_cast<uint32_t>(readerNumber_);
        mixed = mixed * 0x85EBCA6Bu + static_cast<uint32_t>(index);
        mixed ^= mixed >> 15;
        Mutator mutator(mixed);
        return mutator.Mutate(seeds_[static_cast<size_t>(index) % seeds_.size()]);
    }

private:
    size_t readerNumber_;
    uint32_t seed_;
    std::vector<std::string> fixed_, seeds_;
};

size_t ReaderNumber(const Reader& reader)
{
    return static_cast<size_t>(&reader - &Readers()[0]);
}

// ---- child: runs inputs [first, first + count) and logs each one before it starts ----

class Log {
public:
    explicit Log(const std::wstring& path)
        : file_(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    ~Log() { CloseHandle(file_); }
    void Line(const std::string& text)
    {
        std::string line = text + "\n";
        DWORD written = 0;
        WriteFile(file_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }

private:
    HANDLE file_;
};

int RunChild(const Reader& reader, long first, long count, uint32_t seed, const std::wstring& logPath)
{
    std::freopen("NUL", "w", stdout);  // the readers' own chatter ("pushTag - tag not found")
    kit::SetMessageBoxHook([](const kit::MessageBoxCall& call) { return kit::FirstButtonOf(call.type); });
    wchar_t temp[MAX_PATH + 1] = L"";
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + L"pavora-fuzz-" + std::to_wstring(GetCurrentProcessId());
    testing_support::RemoveTree(folder);
    CreateDirectoryW(folder.c_str(), nullptr);
    CreateDirectoryW((folder + L"\\Bin").c_str(), nullptr);
    CreateDirectoryW((folder + L"\\data").c_str(), nullptr);
    CreateDirectoryW((folder + L"\\data\\playlists").c_str(), nullptr);
    CreateDirectoryW((folder + L"\\log").c_str(), nullptr);
    SetCurrentDirectoryW(folder.c_str());

    Inputs inputs(reader, ReaderNumber(reader), seed);
    Log log(logPath);
    for (long index = first; index < first + count; ++index) {
        std::string bytes = inputs[index];
        log.Line("B " + std::to_string(index));
        testing_support::WriteBytes(reader.file, bytes);
        std::string failure = reader.check(bytes);
        if (!failure.empty()) {
            for (char& ch : failure)
                if (ch == '\n' || ch == '\r') ch = ' ';
            if (failure.size() > 300) failure.resize(300);
            log.Line("F " + std::to_string(index) + " " + failure);
        }
    }
    log.Line("E");
    SetCurrentDirectoryW(temp);
    testing_support::RemoveTree(folder);
    return 0;
}

// ---- parent ----

// What the child added to its log after `offset`.
std::string ReadFrom(const std::wstring& path, size_t offset)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::string();
    std::string text;
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (SetFilePointerEx(file, position, nullptr, FILE_BEGIN)) {
        char buffer[65536];
        DWORD read = 0;
        while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) text.append(buffer, read);
    }
    CloseHandle(file);
    return text;
}

struct Tally {
    long tried = 0, crashes = 0, hangs = 0, roundTrips = 0, others = 0;
    std::vector<std::string> details;
};

void Keep(const Reader& reader, const Inputs& inputs, long index, const char* kind, uint32_t seed, Tally& tally,
          const std::string& what)
{
    std::wstring folder = ProgramFolder() + L"\\fuzz-failures\\" + Widen(reader.name);
    CreateDirectoryW((ProgramFolder() + L"\\fuzz-failures").c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring file = folder + L"\\" + Widen(kind) + L"-" + std::to_wstring(seed) + L"-" + std::to_wstring(index) +
                        L".bin";
    testing_support::WriteBytes(file, inputs[index]);
    if (tally.details.size() < 20)
        tally.details.push_back(std::string(reader.name) + " input " + std::to_string(index) + ": " + kind +
                                (what.empty() ? "" : " (" + what + ")"));
}

// Starts a child for inputs [first, total) and follows its log; returns the first input
// that the next child must take (total when this one got through).
long RunChildren(const Reader& reader, const Inputs& inputs, long first, long total, const Options& options,
                 Tally& tally)
{
    // Process ids repeat across Wine prefixes: the tick count keeps two runs apart.
    std::wstring logPath = ProgramFolder() + L"\\fuzz-" + Widen(reader.name) + L"-" +
                           std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount()) + L".log";
    DeleteFileW(logPath.c_str());
    std::wstring commandLine = L"\"" + ProgramPath() + L"\" --child " + Widen(reader.name) + L" " +
                               std::to_wstring(first) + L" " + std::to_wstring(total - first) + L" " +
                               std::to_wstring(options.seed) + L" \"" + logPath + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "cannot start the reader's process\n");
        std::exit(2);
    }
    CloseHandle(process.hThread);

    long current = first - 1;
    bool ended = false;
    size_t consumed = 0;
    DWORD lastProgress = GetTickCount();
    for (;;) {
        DWORD wait = WaitForSingleObject(process.hProcess, 20);
        std::string added = ReadFrom(logPath, consumed);
        size_t start = 0, end;
        while ((end = added.find('\n', start)) != std::string::npos) {
            std::string line = added.substr(start, end - start);
            start = end + 1;
            consumed += line.size() + 1;
            lastProgress = GetTickCount();
            if (line[0] == 'B') {
                current = std::atol(line.c_str() + 2);
            } else if (line[0] == 'F') {
                size_t space = line.find(' ', 2);
                long index = std::atol(line.c_str() + 2);
                std::string what = space == std::string::npos ? std::string() : line.substr(space + 1);
                bool roundTrip = what.compare(0, 10, "round trip") == 0;
                ++(roundTrip ? tally.roundTrips : tally.others);
                Keep(reader, inputs, index, roundTrip ? "roundtrip" : "property", options.seed, tally, what);
            } else if (line[0] == 'E') {
                ended = true;
            }
        }
        if (wait == WAIT_OBJECT_0) break;
        if (GetTickCount() - lastProgress > options.timeLimit) {
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, 5000);
            CloseHandle(process.hProcess);
            DeleteFileW(logPath.c_str());
            // A child that never reached its first input is charged with it.
            if (current < first) current = first;
            ++tally.hangs;
            Keep(reader, inputs, current, "hang", options.seed, tally, std::string());
            return current + 1;
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    DeleteFileW(logPath.c_str());
    if (ended && code == 0) return total;
    if (current < first) current = first;
    ++tally.crashes;
    char codeText[16];
    std::snprintf(codeText, sizeof(codeText), "0x%08lx", static_cast<unsigned long>(code));
    Keep(reader, inputs, current, "crash", options.seed, tally, codeText);
    return current + 1;
}

int RunParent(const Options& options)
{
    std::map<std::string, Tally> tallies;
    bool failed = false;
    std::printf("%-10s %8s %8s %6s %11s %6s\n", "reader", "inputs", "crashes", "hangs", "round-trip", "other");
    for (const Reader& reader : Readers()) {
        if (!options.reader.empty() && options.reader != reader.name) continue;
        Inputs inputs(reader, ReaderNumber(reader), options.seed);
        if (inputs.Empty()) {
            std::printf("%-10s no seeds in %s\\%s\n", reader.name, PAVORA_FUZZ_CORPUS, reader.name);
            failed = true;
            continue;
        }
        Tally& tally = tallies[reader.name];
        for (long next = options.from; next < options.inputs;)
            next = RunChildren(reader, inputs, next, options.inputs, options, tally);
        tally.tried = options.inputs > options.from ? options.inputs - options.from : 0;
        std::printf("%-10s %8ld %8ld %6ld %11ld %6ld\n", reader.name, tally.tried, tally.crashes, tally.hangs,
                    tally.roundTrips, tally.others);
        std::fflush(stdout);
        if (tally.crashes || tally.hangs || tally.roundTrips || tally.others) failed = true;
    }
    for (const auto& entry : tallies)
        for (const std::string& detail : entry.second.details) std::printf("  %s\n", detail.c_str());
    if (failed) std::printf("failing inputs are in %ls\\fuzz-failures\n", ProgramFolder().c_str());
    return failed ? 1 : 0;
}

}  // namespace
}  // namespace fuzz

int main(int argc, char** argv)
{
    using namespace fuzz;
    if (argc == 7 && std::string(argv[1]) == "--child") {
        const Reader* reader = FindReader(argv[2]);
        if (!reader) return 2;
        std::string log = argv[6];
        uint32_t seed = static_cast<uint32_t>(std::strtoul(argv[5], nullptr, 10));
        return RunChild(*reader, std::atol(argv[3]), std::atol(argv[4]), seed, std::wstring(log.begin(), log.end()));
    }
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string name = argv[i], value = argv[i + 1];
        if (name == "--inputs") options.inputs = std::atol(value.c_str());
        else if (name == "--seed") options.seed = static_cast<uint32_t>(std::strtoul(value.c_str(), nullptr, 10));
        else if (name == "--reader") options.reader = value;
        else if (name == "--time-limit") options.timeLimit = static_cast<DWORD>(std::atol(value.c_str()));
        else if (name == "--from") options.from = std::atol(value.c_str());
        else {
            std::fprintf(stderr, "unknown option %s\n", name.c_str());
            return 2;
        }
    }
    if (!options.reader.empty() && !FindReader(options.reader)) {
        std::fprintf(stderr, "no reader named %s\n", options.reader.c_str());
        return 2;
    }
    return RunParent(options);
}
