#pragma once
// What the running Windows says of itself: one seam for every check of the system's
// version, so that a test puts one stand-in in place for all of them.
#include <windows.h>

namespace kit {

class SystemVersionSource {
public:
    virtual ~SystemVersionSource() = default;
    // As GetVersionExW with an extended record.
    virtual bool Version(OSVERSIONINFOEXW& info) = 0;
    // PROCESSOR_ARCHITECTURE_* of the machine, not of this process.
    virtual WORD NativeArchitecture() = 0;
    // As GetProductInfo(major, minor, 0, 0); false when the system lacks that function.
    virtual bool ProductType(DWORD major, DWORD minor, DWORD& type) = 0;
};

// The system itself; functions missing from older Windows are looked up, not imported.
SystemVersionSource& RealSystemVersion();
// Replaces the source that CurrentSystemVersion() gives; nullptr puts the system back.
// Returns the one it replaces.
SystemVersionSource* SetSystemVersionSource(SystemVersionSource* source);
SystemVersionSource& CurrentSystemVersion();

}  // namespace kit
