#include "core/projector/ProjectorSwitch.h"

namespace projector {

std::wstring AddressText(const Address& address)
{
    return std::wstring(address.host.begin(), address.host.end()) + L":" + std::to_wstring(address.port);
}

ProjectorSwitch::ProjectorSwitch(std::vector<Address> addresses, std::string password, const Timing& timing, Log log,
                                 Ready ready, Surveyed surveyed)
    : addresses_(std::move(addresses)),
      password_(std::move(password)),
      timing_(timing),
      log_(std::move(log)),
      ready_(std::move(ready)),
      surveyed_(std::move(surveyed))
{
    wake_.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    if (!addresses_.empty()) thread_.Reset(CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr));
}

ProjectorSwitch::~ProjectorSwitch()
{
    {
        kit::CriticalSection::Lock hold(lock_);
        stopping_ = true;
    }
    SetEvent(wake_.Get());
    if (thread_) {
        // An exchange in progress ends within its answer time; a projector's report is three.
        WaitForSingleObject(thread_.Get(), timing_.answerMs * 3 + 1000);
        thread_.Reset();
    }
    WSACleanup();
}

void ProjectorSwitch::Want(int power)
{
    {
        kit::CriticalSection::Lock hold(lock_);
        wanted_ = power;
        ++request_;
    }
    SetEvent(wake_.Get());
}

std::vector<Health> ProjectorSwitch::Reports()
{
    kit::CriticalSection::Lock hold(lock_);
    return reports_;
}

bool ProjectorSwitch::Stopping()
{
    kit::CriticalSection::Lock hold(lock_);
    return stopping_;
}

DWORD WINAPI ProjectorSwitch::ThreadMain(void* self)
{
    static_cast<ProjectorSwitch*>(self)->Run();
    return 0;
}

void ProjectorSwitch::Run()
{
    struct State {
        bool done = false;
        bool taken = false;  // the power command was taken; now waiting for "on"
        DWORD nextTry = 0;
        Answer::Outcome lastFailure = Answer::Ok;
    };
    std::vector<State> states(addresses_.size());
    unsigned seen = 0;
    int wanted = -1;
    DWORD askedAt = 0;
    bool readySent = true;
    DWORD nextSurvey = GetTickCount() + timing_.firstSurveyMs;
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
            askedAt = GetTickCount();
            readySent = wanted != 1;
            if (log_) log_(wanted == 1 ? L"projectors: switching on" : L"projectors: switching off");
        }

        DWORD now = GetTickCount();
        DWORD wait = INFINITE;
        for (size_t i = 0; wanted >= 0 && i < addresses_.size(); ++i) {
            State& state = states[i];
            if (state.done) continue;
            if (static_cast<LONG>(now - state.nextTry) < 0) {
                DWORD left = state.nextTry - now;
                if (left < wait) wait = left;
                continue;
            }
            const Address& address = addresses_[i];
            Answer answer = state.taken ? Exchange(address, password_, "POWR ?", timing_.answerMs)
                                        : Exchange(address, password_, wanted == 1 ? "POWR 1" : "POWR 0",
                                                   timing_.answerMs);
            DWORD retry = timing_.failRetryMs;
            if (answer.outcome == Answer::Ok) {
                if (!state.taken && wanted == 0) {
                    state.done = true;
                    if (log_) log_(L"projector " + AddressText(address) + L": switched off");
                } else if (!state.taken) {
                    state.taken = true;
                    retry = 0;
                } else if (answer.power == 1) {
                    state.done = true;
                    if (log_) log_(L"projector " + AddressText(address) + L": on");
                } else {
                    retry = timing_.pollMs;
                }
            } else if (answer.outcome == Answer::Unavailable) {
                retry = timing_.busyRetryMs;
            } else if (log_ && answer.outcome != state.lastFailure) {
                // The same failure again is not logged again: a projector unplugged for a
                // night would fill the log.
                log_(L"projector " + AddressText(address) + L": " + OutcomeText(answer.outcome) +
                     L"; asked again every " + std::to_wstring(timing_.failRetryMs / 1000) + L" s");
            }
            if (answer.outcome != Answer::Ok && answer.outcome != Answer::Unavailable)
                state.lastFailure = answer.outcome;
            if (!state.done) {
                state.nextTry = GetTickCount() + retry;
                if (retry < wait) wait = retry;
            }
        }
        if (!readySent) {
            bool allOn = true;
            for (const State& state : states) allOn = allOn && state.done;
            DWORD waited = GetTickCount() - askedAt;
            if (allOn || waited >= timing_.warmupMs) {
                readySent = true;
                if (!allOn && log_) log_(L"projectors: not all on after the warm-up time; playing anyway");
                if (ready_) ready_();
            } else if (timing_.warmupMs - waited < wait) {
                wait = timing_.warmupMs - waited;
            }
        }
        now = GetTickCount();
        if (static_cast<LONG>(now - nextSurvey) >= 0) {
            std::vector<Health> reports;
            for (const Address& address : addresses_) {
                if (Stopping()) return;
                reports.push_back(Survey(address, password_, timing_.answerMs));
            }
            {
                kit::CriticalSection::Lock hold(lock_);
                reports_ = reports;
            }
            if (surveyed_) surveyed_();
            nextSurvey = GetTickCount() + timing_.surveyMs;
            now = GetTickCount();
        }
        DWORD untilSurvey = nextSurvey - now;
        if (untilSurvey < wait) wait = untilSurvey;
        WaitForSingleObject(wake_.Get(), wait);
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
