#include "launcher/remote/CommandGate.h"

namespace remote {

namespace {

const ULONGLONG kStatusFreshMs = 100;

// A reason from the bar becomes part of an answer line: no line break may end it early.
std::string OneLine(std::string text)
{
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return text;
}

}  // namespace

CommandGate::CommandGate(RemoteContext& context, std::wstring transport)
    : context_(context), transport_(std::move(transport))
{
}

bool CommandGate::Admits(uint32_t address)
{
    if (context_.settings.allow.Allows(address)) return true;
    if (context_.refusals.ShouldLog(address, GetTickCount64()))
        context_.sink.Log(L"remote control: refused " + Sender(address) + L", not in allow (" +
                          context_.settings.allow.Text() + L")");
    return false;
}

std::string CommandGate::Run(launcher::Request request, uint32_t address)
{
    if (!rate_.Take(address, GetTickCount64())) {
        Note(address, L"more than " + std::to_wstring(CommandRate::kPerSecond) +
                          L" commands a second; the rest are answered \"too many commands\"");
        return "too many commands";
    }
    request.from = Sender(address);
    std::string why = context_.sink.Run(request);
    {
        std::lock_guard<std::mutex> hold(statusLock_);
        statusFresh_ = false;  // the command's own effect shows in the next answer
    }
    return OneLine(why);
}

RemoteStatus CommandGate::Status()
{
    std::lock_guard<std::mutex> hold(statusLock_);
    ULONGLONG now = GetTickCount64();
    if (!statusFresh_ || now - statusAt_ >= kStatusFreshMs) {
        status_ = StatusOf(context_.sink.StatusJson());
        statusAt_ = now;
        statusFresh_ = true;
    }
    return status_;
}

void CommandGate::Note(uint32_t address, const std::wstring& what)
{
    if (notes_.ShouldLog(address, GetTickCount64())) context_.sink.Log(L"remote control: " + Sender(address) + L": " + what);
}

std::wstring CommandGate::Sender(uint32_t address) const
{
    return transport_ + L" " + AllowList::AddressText(address);
}

std::wstring SocketProblem(const wchar_t* what, WORD port, int error)
{
    std::wstring where = L"port " + std::to_wstring(port);
    if (error == WSAEADDRINUSE) return where + L" is in use by another program";
    if (error == WSAEACCES) return where + L" may not be used (access denied)";
    return std::wstring(what) + L" on " + where + L" failed (Winsock error " + std::to_wstring(error) + L")";
}

}  // namespace remote
