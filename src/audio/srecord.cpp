#include "audio/srecord.h"

#include "platform/message_box.h"

void SRecord::Tell(const QString& text, const QString& caption) {
    {
        std::lock_guard lock(messageMutex_);
        if (keepMessages_) {
            messages_.emplace_back(text, caption);
            return;
        }
    }
    MessageBox(text, caption, MessageIcon::Error);
}
