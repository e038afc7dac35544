#pragma once
// The console's one page (console.html, built into the program) with the launcher's language
// and its texts for the page, numbers kFirstConsoleText to kLastConsoleText of Bin\language.txt.
#include <string>

#include "launcher/remote/Transport.h"

namespace remote {

const int kFirstConsoleText = 240;
const int kLastConsoleText = 279;

// `text` gives a number's text, or the number itself where the file has none (the page then
// uses its own text of `language`, 1 Chinese or 2 English); null: the page's own texts only.
std::string ConsolePage(int language, const TextLookup& text);

}  // namespace remote
