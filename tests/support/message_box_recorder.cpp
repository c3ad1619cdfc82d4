#include "support/message_box_recorder.h"

MessageBoxRecorder::MessageBoxRecorder(int answer) : answer_(answer) {
    previous_ = SetMessageBoxHandler([this](const QString& text, const QString& caption,
                                            MessageIcon icon, MessageButtons buttons) {
        calls_.push_back({text, caption, icon, buttons});
        return answer_;
    });
}

MessageBoxRecorder::~MessageBoxRecorder() {
    SetMessageBoxHandler(previous_);
}
