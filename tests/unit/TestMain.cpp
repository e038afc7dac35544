#include <gtest/gtest.h>

#include <windows.h>

#include "framework/MessageBox.h"

namespace {

// A crash must fail the test: Wine's automatic debugger ends a crashed program with exit
// code 0, which reads as a pass. Nothing here may need much stack (it may have overflowed).
LONG WINAPI FailOnCrash(EXCEPTION_POINTERS* info)
{
    TerminateProcess(GetCurrentProcess(), info->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

// Message boxes never block a test run: unless a test installs its own hook, a box is
// a failure that names its text.
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    SetUnhandledExceptionFilter(FailOnCrash);
    kit::SetMessageBoxHook([](const kit::MessageBoxCall& call) {
        ADD_FAILURE() << "unexpected message box: " << call.text;
        return kit::FirstButtonOf(call.type);
    });
    return RUN_ALL_TESTS();
}
