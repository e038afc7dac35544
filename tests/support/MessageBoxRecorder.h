#pragma once
// What the code under test says in message boxes, with no box shown.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "framework/MessageBox.h"

namespace testing_support {

// Message boxes never block a test run: from now on a box is a failure that names its
// text. What every test program starts with, and what a fixture that hooked them puts back.
inline void FailOnMessageBoxes()
{
    kit::SetMessageBoxHook([](const kit::MessageBoxCall& call) {
        ADD_FAILURE() << "unexpected message box: " << call.text;
        return kit::FirstButtonOf(call.type);
    });
}

// Records the message boxes shown while it lives, answering each with `answer` (0: the
// box's first button); afterwards the hook that was in place before takes them again.
class MessageBoxRecorder {
public:
    explicit MessageBoxRecorder(int answer = 0) : answer(answer)
    {
        previous_ = kit::SetMessageBoxHook([this](const kit::MessageBoxCall& call) {
            calls.push_back(call);
            return this->answer ? this->answer : kit::FirstButtonOf(call.type);
        });
    }
    ~MessageBoxRecorder() { kit::SetMessageBoxHook(std::move(previous_)); }
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    std::vector<kit::MessageBoxCall> calls;
    int answer;

private:
    kit::MessageBoxHook previous_;
};

}  // namespace testing_support

