#include "launcher/remote/http/ConsolePage.h"

#include <nlohmann/json.hpp>

#include "framework/Utf8.h"
#include "launcher/remote/http/ConsolePageTemplate.inc"

namespace remote {

namespace {

const char kMarker[] = "@CONSOLE_TEXTS@";

// The texts go into a script: nothing in them may end it or open markup.
std::string ForScript(const std::string& json)
{
    std::string out;
    for (char c : json) {
        if (c == '<') out += "\\u003c";
        else if (c == '>') out += "\\u003e";
        else if (c == '&') out += "\\u0026";
        else out += c;
    }
    return out;
}

}  // namespace

std::string ConsolePage(int language, const TextLookup& text)
{
    nlohmann::json texts = nlohmann::json::object();
    for (int id = kFirstConsoleText; text && id <= kLastConsoleText; ++id) {
        std::wstring number = std::to_wstring(id);
        std::wstring value = text(number.c_str());
        if (!value.empty() && value != number) texts[kit::ToUtf8(number)] = kit::ToUtf8(value);
    }
    nlohmann::json config = {{"language", language}, {"texts", texts}};
    std::string page(reinterpret_cast<const char*>(kConsolePage), kConsolePageSize);
    size_t at = page.find(kMarker);
    if (at != std::string::npos)
        page.replace(at, sizeof(kMarker) - 1,
                     ForScript(config.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)));
    return page;
}

}  // namespace remote
