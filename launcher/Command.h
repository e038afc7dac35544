#pragma once
// What an operator can ask of the launcher, from whichever source: the bar's buttons, the tray
// menu, the hot keys, the library's effect page. Each source turns its event into a Request and
// hands it to the bar's Execute; the remote control (launcher/remote) does the same and nothing more.
#include <string>
#include <utility>

namespace launcher {

enum class Command {
    // What plays: decided by the playback.
    ToggleRotation,
    StartRotation,
    StopRotation,
    Next,
    Previous,
    PlayEntry,  // Request::entry, from 0
    StandbyOn,
    StandbyOff,
    ProjectorsOn,
    ProjectorsOff,
    EffectStarted,  // the effect page started Request::path itself
    // The bar's and the library's windows.
    OpenSettings,
    Calibrate,
    EndCalibration,
    ShowBar,
    HideBar,
    QuickToolBar,
    ShapedProjection,
    Reset,
    MediaShow,
    RefreshBackground,
    Exit,
};

struct Request {
    Request(Command c, int e = 0, std::wstring p = {}, std::wstring f = {})
        : command(c), entry(e), path(std::move(p)), from(std::move(f)) {}
    Command command;
    int entry = 0;
    std::wstring path;
    // A remote command's sender, as the log names it ("tcp 192.168.10.5"); empty for one
    // given on this machine.
    std::wstring from;
};

}  // namespace launcher
