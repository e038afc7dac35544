#include "launcher/guardian/RestartNote.h"

#include <windows.h>
#include <shellapi.h>

#include "guardian/GuardNames.h"

namespace launcher {

RestartNote ReadRestartNote(const wchar_t* commandLine)
{
    RestartNote note;
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(commandLine, &count);
    if (!arguments) return note;
    if (count >= 3 && _wcsicmp(arguments[1], guardian::kRestartedSwitch) == 0) {
        std::wstring why = arguments[2];
        // Only the guardian's words: the text goes into the log.
        if (why == L"crash" || why == L"hang" || why == L"end") note.why = why;
        if (!note.why.empty() && count >= 4 && std::wstring(arguments[3]).find_first_of(L"\\/:") == std::wstring::npos)
            note.dump = std::wstring(arguments[3]).substr(0, MAX_PATH);
    }
    LocalFree(arguments);
    return note;
}

}  // namespace launcher
