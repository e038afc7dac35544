#pragma once
// Section [alerts] of Bin\config.ini: where events are posted (empty: nowhere), the secret
// they are signed with (empty: unsigned) and how many of one kind an hour may go.
#include <string>
#include <vector>

namespace alerts {

struct AlertSettings {
    std::wstring webhook;  // http:// or https:// address; empty = off
    std::string secret;    // UTF-8
    unsigned maxPerHour = 12;
    std::vector<std::wstring> notes;  // what was ignored, for the log

    bool On() const { return !webhook.empty(); }
    // The address without its path, for the log: a chat room's webhook carries its token there.
    std::wstring ShownAddress() const;
    static AlertSettings Read(const wchar_t* file);
};

}  // namespace alerts
