#pragma once
// Every key of Bin\config.ini that the library and the launcher share, with its section and
// default: one table, so that a key is spelled in one place. The launcher, which binds to
// nothing of the library beyond its exports, compiles this table in too.

namespace tessaly {
namespace config {

extern const wchar_t kPath[];  // relative to the current directory, which is the installation folder

struct IntKey {
    const wchar_t* section;
    const wchar_t* name;
    int defaultValue;
};

struct StringKey {
    const wchar_t* section;
    const wchar_t* name;
    unsigned bufferSize;  // characters, terminator included
};

// The key table.
extern const IntKey kAuto;
extern const IntKey kStartWin7Touch;
extern const IntKey kDeviceType;
extern const IntKey kFilterWay;
extern const IntKey kSendSocket;
extern const IntKey kDotCursor;
extern const IntKey kCheck360;  // the key name ends in one blank
extern const IntKey kManualCalibrate;
extern const IntKey kMaskCommonCamera;
extern const StringKey kPassword;
extern const IntKey kDebug;
extern const IntKey kLanguage;
extern const IntKey kRightClick;
extern const IntKey kSamePointTime;
extern const StringKey kCompany;
extern const StringKey kContact;
extern const StringKey kHelp;
// The projectors that the schedule switches (PJLink).
extern const StringKey kProjectorAddress;
extern const StringKey kProjectorPassword;
extern const IntKey kProjectorWarmup;
extern const wchar_t kQuickKeySection[];

}  // namespace config
}  // namespace tessaly
