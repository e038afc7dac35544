#include <gtest/gtest.h>

#include "framework/MessageBox.h"

// Message boxes never block a test run: unless a test installs its own hook, a box is
// a failure that names its text.
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    kit::SetMessageBoxHook([](const kit::MessageBoxCall& call) {
        ADD_FAILURE() << "unexpected message box: " << call.text;
        return kit::FirstButtonOf(call.type);
    });
    return RUN_ALL_TESTS();
}
