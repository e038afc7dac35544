#include <gtest/gtest.h>

#include "tests/support/MessageBoxRecorder.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    testing_support::FailOnMessageBoxes();
    return RUN_ALL_TESTS();
}
