#pragma once
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "framework/MessageBox.h"

// Records the message boxes shown while it lives, answering each with `answer` (0: the
// box's first button); afterwards the hook that was in place before takes them again.
class MessageBoxRecorder {
public:
    explicit MessageBoxRecorder(int answer = 0)
    {
        previous_ = kit::SetMessageBoxHook([this, answer](const kit::MessageBoxCall& call) {
            calls.push_back(call);
            return answer ? answer : kit::FirstButtonOf(call.type);
        });
    }
    ~MessageBoxRecorder() { kit::SetMessageBoxHook(std::move(previous_)); }
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    std::vector<kit::MessageBoxCall> calls;

private:
    kit::MessageBoxHook previous_;
};
