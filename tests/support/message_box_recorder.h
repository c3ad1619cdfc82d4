#pragma once

#include <QString>
#include <vector>

#include "platform/message_box.h"

// Replaces the message box while alive: records every call and answers with
// a chosen button.
class MessageBoxRecorder {
  public:
    struct Call {
        QString text;
        QString caption;
        MessageIcon icon;
        MessageButtons buttons;
    };

    explicit MessageBoxRecorder(int answer = IDOK);
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    void SetAnswer(int answer) { answer_ = answer; }
    const std::vector<Call>& calls() const { return calls_; }

  private:
    int answer_;
    std::vector<Call> calls_;
    MessageBoxHandler previous_;
};
