#pragma once
#include <gtest/gtest.h>

#include <vector>

#include "framework/MessageBox.h"

// Records the message boxes shown while it lives, answering each with its first button;
// afterwards any box is a test failure again, as TestMain sets it up.
class MessageBoxRecorder {
public:
    MessageBoxRecorder()
    {
        kit::SetMessageBoxHook([this](const kit::MessageBoxCall& call) {
            calls.push_back(call);
            return kit::FirstButtonOf(call.type);
        });
    }
    ~MessageBoxRecorder()
    {
        kit::SetMessageBoxHook([](const kit::MessageBoxCall& call) {
            ADD_FAILURE() << "unexpected message box";
            return kit::FirstButtonOf(call.type);
        });
    }
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    std::vector<kit::MessageBoxCall> calls;
};
