#pragma once
// Whether this edition of Windows takes touch input, so that Windows 7 touch mode is offered.
#include <windows.h>

namespace tessaly {

// Where the version and the product type come from; tests put their own in place.
class VersionSource {
public:
    virtual ~VersionSource() = default;
    // As GetVersionExW.
    virtual bool Version(OSVERSIONINFOW& info) = 0;
    // As GetProductInfo(major, minor, 0, 0); false when the system lacks that function.
    virtual bool ProductType(DWORD major, DWORD minor, DWORD& type) = 0;
};

// GetVersionExW, and GetProductInfo looked up in kernel32.
VersionSource& SystemVersionSource();
// Replaces the source that SupportsTouch() asks; nullptr puts the system's back.
// Returns the one it replaces.
VersionSource* SetVersionSource(VersionSource* source);

// Version 6.2 always; other versions from 6 on by edition (Ultimate, Home Premium,
// Server Standard, Professional).
bool SupportsTouch(VersionSource& source);
bool SupportsTouch();

// The Windows 9x family (top bit of GetVersion) is never asked.
bool IsWin9xFamily();
// What the touch state and the settings page test before offering the mode.
bool TouchPlatformSupported();

}  // namespace tessaly
