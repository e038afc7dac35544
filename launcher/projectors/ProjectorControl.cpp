#include "launcher/projectors/ProjectorControl.h"

#include "core/text/ConfigKeys.h"
#include "framework/PostToWindow.h"
#include "framework/Utf8.h"
#include "launcher/BarWiring.h"
#include "framework/BoundedNumber.h"
#include "launcher/supervision/EventLog.h"
#include "launcher/supervision/LocalTime.h"

namespace launcher {
namespace {

std::wstring ReadText(const wchar_t* file, const tessaly::config::StringKey& key)
{
    std::vector<wchar_t> text(key.bufferSize, L'\0');
    GetPrivateProfileStringW(key.section, key.name, L"", text.data(), key.bufferSize, file);
    return text.data();
}

}  // namespace

ProjectorControl::ProjectorControl(HWND bar, std::wstring logFolder, Log log)
    : bar_(bar), logFolder_(std::move(logFolder)), log_(std::move(log))
{
}

ProjectorControl::~ProjectorControl() = default;

void ProjectorControl::Load(const wchar_t* configFile)
{
    switch_.reset();
    ++generation_;
    namespace config = tessaly::config;
    std::wstring addressText = ReadText(configFile, config::kProjectorAddress);
    std::wstring password = ReadText(configFile, config::kProjectorPassword);
    std::vector<std::wstring> notes;
    const config::IntKey& warmupKey = config::kProjectorWarmup;
    DWORD warmup = kit::ReadBoundedNumber(configFile, warmupKey.section, warmupKey.name,
                                     static_cast<DWORD>(warmupKey.defaultValue), 0, 3600, notes);
    for (const std::wstring& note : notes) log_(note);
    std::vector<projector::Address> addresses;
    std::wstring error;
    std::vector<std::wstring> duplicates;
    if (!projector::ParseAddresses(addressText, addresses, error, &duplicates)) {
        log_(L"projector: address \"" + addressText + L"\" not used: " + error);
        addresses.clear();
    }
    // Twice the same projector would be switched twice and reported twice in the metrics.
    for (const std::wstring& twice : duplicates) log_(L"projector: " + twice + L" is given twice; used once");
    if (surveyed_) surveyed_({});
    if (addresses.empty()) return;

    projector::ProjectorSwitch::Timing timing;
    timing.warmupMs = warmup * 1000;
    // The log's writes are whole lines appended to the file: safe from the switch's thread.
    auto log = std::make_shared<supervision::EventLog>(logFolder_);
    unsigned generation = generation_;
    switch_.reset(new projector::ProjectorSwitch(
        addresses, kit::ToUtf8(password), timing, [log](const std::wstring& line) { log->Write(line); },
        [this, generation] { Tell(generation, true); }, [this, generation] { Tell(generation, false); }));
    if (wanted_ == 1) switch_->SwitchOn();
    if (wanted_ == 0) switch_->SwitchOff();
}

// On the switch's thread: the switch does not call back once it is destroyed, and this object
// outlives every switch it makes; what it tells runs on the bar's thread.
void ProjectorControl::Tell(unsigned generation, bool ready)
{
    kit::PostToWindow(bar_, kRunOnBarMessage, [this, generation, ready] {
        if (generation != generation_ || !switch_) return;
        if (ready) {
            if (ready_) ready_();
            return;
        }
        std::vector<supervision::ProjectorReport> reports;
        std::string at = supervision::IsoLocalTimeNow();
        for (const projector::Health& health : switch_->Reports()) {
            supervision::ProjectorReport report;
            report.address = projector::AddressText(health.address);
            report.answered = health.outcome == projector::Answer::Ok;
            if (!report.answered) report.problem = projector::OutcomeText(health.outcome);
            report.power = health.power;
            report.lampHours = health.lampHours;
            report.errors = health.errors;
            report.at = at;
            reports.push_back(report);
        }
        if (surveyed_) surveyed_(reports);
    });
}

void ProjectorControl::SwitchOn()
{
    wanted_ = 1;
    if (switch_) switch_->SwitchOn();
}

void ProjectorControl::SwitchOff()
{
    wanted_ = 0;
    if (switch_) switch_->SwitchOff();
}

}  // namespace launcher
