#include "core/projector/ProjectorSwitch.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace projector {

std::wstring AddressText(const Address& address)
{
    return std::wstring(address.host.begin(), address.host.end()) + L":" + std::to_wstring(address.port);
}

struct ProjectorSwitch::Worker {
    std::vector<Address> addresses_;
    std::string password_;
    Timing timing_;
    Log log_;
    Ready ready_;
    Surveyed surveyed_;
    kit::UniqueHandle wake_;
    kit::CriticalSection lock_;   // the requests, the reports and the stop
    kit::CriticalSection calls_;  // held while a callback runs, so that none runs after the owner went
    std::vector<Health> reports_;
    int wanted_ = -1;       // -1 nothing asked yet
    unsigned request_ = 0;  // counts the requests, so that a new one starts afresh
    bool stopping_ = false;

    ULONGLONG Now() const { return timing_.clock ? timing_.clock() : GetTickCount64(); }
    bool Stopping()
    {
        kit::CriticalSection::Lock hold(lock_);
        return stopping_;
    }
    void Write(const std::wstring& line)
    {
        kit::CriticalSection::Lock hold(calls_);
        if (log_ && !Stopping()) log_(line);
    }
    void Tell(const std::function<void()>& callback)
    {
        kit::CriticalSection::Lock hold(calls_);
        if (callback && !Stopping()) callback();
    }
    void Run();
};

namespace {

// A thread that waits ends at once when told; one in an exchange finishes it on its own.
constexpr DWORD kQuickEndMs = 250;
// The clock is looked at again at least this often, whatever it said.
constexpr ULONGLONG kLongestWaitMs = 60000;

// One exchange at a time with each projector in the whole process. A switch replaced while
// it talks to a projector finishes that exchange before its successor starts one, so the
// projector takes the commands in the order they were given.
class ProjectorTurn {
public:
    explicit ProjectorTurn(const Address& address) : section_(SectionOf(address)) { section_.Enter(); }
    ~ProjectorTurn() { section_.Leave(); }
    ProjectorTurn(const ProjectorTurn&) = delete;
    ProjectorTurn& operator=(const ProjectorTurn&) = delete;

private:
    static kit::CriticalSection& SectionOf(const Address& address)
    {
        struct Turns {
            kit::CriticalSection lock;
            std::map<std::string, std::unique_ptr<kit::CriticalSection>> byAddress;
        };
        // Never freed: a thread left in an exchange may still take its turn while the
        // process ends.
        static Turns* const turns = new Turns;
        std::string key = address.host;
        std::transform(key.begin(), key.end(), key.begin(),
                       [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
        key += ":" + std::to_string(address.port);
        kit::CriticalSection::Lock hold(turns->lock);
        std::unique_ptr<kit::CriticalSection>& section = turns->byAddress[key];
        if (!section) section.reset(new kit::CriticalSection);
        return *section;
    }

    kit::CriticalSection& section_;
};

}  // namespace

ProjectorSwitch::ProjectorSwitch(std::vector<Address> addresses, std::string password, const Timing& timing, Log log,
                                 Ready ready, Surveyed surveyed)
    : worker_(std::make_shared<Worker>())
{
    worker_->addresses_ = std::move(addresses);
    worker_->password_ = std::move(password);
    worker_->timing_ = timing;
    worker_->log_ = std::move(log);
    worker_->ready_ = std::move(ready);
    worker_->surveyed_ = std::move(surveyed);
    worker_->wake_.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (worker_->addresses_.empty()) return;
    std::unique_ptr<std::shared_ptr<Worker>> given(new std::shared_ptr<Worker>(worker_));
    thread_.Reset(CreateThread(nullptr, 0, ThreadMain, given.get(), 0, nullptr));
    if (thread_) given.release();
}

ProjectorSwitch::~ProjectorSwitch()
{
    {
        kit::CriticalSection::Lock hold(worker_->lock_);
        worker_->stopping_ = true;
    }
    SetEvent(worker_->wake_.Get());
    // A callback under way ends first; none starts after it.
    { kit::CriticalSection::Lock hold(worker_->calls_); }
    if (thread_) WaitForSingleObject(thread_.Get(), kQuickEndMs);
}

bool ProjectorSwitch::Empty() const
{
    return worker_->addresses_.empty();
}

void ProjectorSwitch::Want(int power)
{
    {
        kit::CriticalSection::Lock hold(worker_->lock_);
        worker_->wanted_ = power;
        ++worker_->request_;
    }
    SetEvent(worker_->wake_.Get());
}

std::vector<Health> ProjectorSwitch::Reports()
{
    kit::CriticalSection::Lock hold(worker_->lock_);
    return worker_->reports_;
}

DWORD WINAPI ProjectorSwitch::ThreadMain(void* given)
{
    std::unique_ptr<std::shared_ptr<Worker>> worker(static_cast<std::shared_ptr<Worker>*>(given));
    WSADATA data;
    bool sockets = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    (*worker)->Run();
    if (sockets) WSACleanup();
    return 0;
}

void ProjectorSwitch::Worker::Run()
{
    // 64-bit ticks throughout: a 32-bit count passes its half after 24.9 days of uptime and
    // wraps after 49.7, and an installation runs for months.
    struct State {
        bool done = false;
        bool taken = false;  // the power command was taken; now waiting for "on"
        ULONGLONG nextTry = 0;
        Answer::Outcome lastFailure = Answer::Ok;
    };
    std::vector<State> states(addresses_.size());
    unsigned seen = 0;
    int wanted = -1;
    ULONGLONG askedAt = 0;
    bool readySent = true;
    ULONGLONG nextSurvey = Now() + timing_.firstSurveyMs;
    for (;;) {
        bool renewed = false;
        {
            kit::CriticalSection::Lock hold(lock_);
            if (stopping_) return;
            renewed = request_ != seen;
            seen = request_;
            wanted = wanted_;
        }
        if (renewed) {
            states.assign(addresses_.size(), State());
            askedAt = Now();
            readySent = wanted != 1;
            Write(wanted == 1 ? L"projectors: switching on" : L"projectors: switching off");
        }

        ULONGLONG now = Now();
        ULONGLONG wait = kLongestWaitMs;
        for (size_t i = 0; wanted >= 0 && i < addresses_.size(); ++i) {
            State& state = states[i];
            if (state.done) continue;
            if (now < state.nextTry) {
                wait = std::min(wait, state.nextTry - now);
                continue;
            }
            const Address& address = addresses_[i];
            ProjectorTurn turn(address);
            // Looked at with the turn held: once replaced, nothing more is sent.
            if (Stopping()) return;
            Answer answer = state.taken ? Exchange(address, password_, "POWR ?", timing_.answerMs)
                                        : Exchange(address, password_, wanted == 1 ? "POWR 1" : "POWR 0",
                                                   timing_.answerMs);
            DWORD retry = timing_.failRetryMs;
            if (answer.outcome == Answer::Ok) {
                if (!state.taken && wanted == 0) {
                    state.done = true;
                    Write(L"projector " + AddressText(address) + L": switched off");
                } else if (!state.taken) {
                    state.taken = true;
                    retry = 0;
                } else if (answer.power == 1) {
                    state.done = true;
                    Write(L"projector " + AddressText(address) + L": on");
                } else {
                    retry = timing_.pollMs;
                }
            } else if (answer.outcome == Answer::Unavailable) {
                retry = timing_.busyRetryMs;
            } else if (answer.outcome != state.lastFailure) {
                // The same failure again is not logged again: a projector unplugged for a
                // night would fill the log.
                Write(L"projector " + AddressText(address) + L": " + OutcomeText(answer.outcome) +
                      L"; asked again every " + std::to_wstring(timing_.failRetryMs / 1000) + L" s");
            }
            if (answer.outcome != Answer::Ok && answer.outcome != Answer::Unavailable)
                state.lastFailure = answer.outcome;
            if (!state.done) {
                state.nextTry = Now() + retry;
                wait = std::min<ULONGLONG>(wait, retry);
            }
        }
        if (!readySent) {
            bool allOn = true;
            for (const State& state : states) allOn = allOn && state.done;
            now = Now();
            ULONGLONG waited = now > askedAt ? now - askedAt : 0;
            if (allOn || waited >= timing_.warmupMs) {
                readySent = true;
                if (!allOn) Write(L"projectors: not all on after the warm-up time; playing anyway");
                Tell(ready_);
            } else {
                wait = std::min(wait, timing_.warmupMs - waited);
            }
        }
        now = Now();
        if (now >= nextSurvey) {
            std::vector<Health> reports;
            for (const Address& address : addresses_) {
                ProjectorTurn turn(address);
                if (Stopping()) return;
                reports.push_back(Survey(address, password_, timing_.answerMs));
            }
            {
                kit::CriticalSection::Lock hold(lock_);
                reports_ = reports;
            }
            Tell(surveyed_);
            now = Now();
            nextSurvey = now + timing_.surveyMs;
        }
        wait = std::min(wait, nextSurvey - now);
        WaitForSingleObject(wake_.Get(), static_cast<DWORD>(wait));
    }
}

std::vector<std::wstring> ProjectorSwitch::TryAll(const std::vector<Address>& addresses, const std::string& password,
                                                  DWORD answerMs)
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    std::vector<std::wstring> lines;
    for (const Address& address : addresses) {
        Answer answer = Exchange(address, password, "POWR ?", answerMs);
        std::wstring line = AddressText(address) + L": " + OutcomeText(answer.outcome);
        static const wchar_t* const kStates[] = {L"off", L"on", L"cooling down", L"warming up"};
        if (answer.outcome == Answer::Ok && answer.power >= 0) line += std::wstring(L", ") + kStates[answer.power];
        lines.push_back(line);
    }
    WSACleanup();
    return lines;
}

}  // namespace projector
