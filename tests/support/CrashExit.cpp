// Under Wine a program that dies of an unhandled exception is ended by the automatic
// debugger, with exit code 0 (a pass) or not at all (a time-out). Linked into every test
// program (tests/CMakeLists.txt), this ends it with the exception's code instead.
#include <windows.h>

namespace {

// Nothing here may need much stack: it may have overflowed.
LONG WINAPI EndWithExceptionCode(EXCEPTION_POINTERS* info)
{
    TerminateProcess(GetCurrentProcess(), info->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

// Before main: a crash in test discovery or in a static object counts too.
const LPTOP_LEVEL_EXCEPTION_FILTER kReplacedFilter = SetUnhandledExceptionFilter(EndWithExceptionCode);

}  // namespace
