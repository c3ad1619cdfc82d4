#include "app/action_block.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

#include "platform/post_message.h"
#include "platform/window_messages.h"

namespace {

QByteArray FieldText(const std::array<char, ActionBlock::kTextSize>& field) {
    const auto end = std::find(field.begin(), field.end(), '\0');
    return QByteArray(field.data(), static_cast<qsizetype>(end - field.begin()));
}

void CopyField(std::array<char, ActionBlock::kTextSize>& field, const char* source) {
    std::memcpy(field.data(), source, field.size());
    field.back() = '\0';
}

}  // namespace

void ActionBlock::SetTuneText(const QByteArray& text) {
    tuneText.fill('\0');
    const auto length = std::min<qsizetype>(text.size(), kTextSize - 1);
    std::memcpy(tuneText.data(), text.constData(), static_cast<size_t>(length));
}

QByteArray ActionBlock::TuneText() const {
    return FieldText(tuneText);
}

QByteArray ActionBlock::Serialize() const {
    QByteArray out(kSize, '\0');
    qToLittleEndian<uint32_t>(flags, out.data());
    std::memcpy(out.data() + 4, tuneText.data(), kTextSize);
    std::memcpy(out.data() + 4 + kTextSize, spareText.data(), kTextSize);
    return out;
}

std::optional<ActionBlock> ActionBlock::Parse(const QByteArray& data) {
    if (data.size() != kSize) {
        return std::nullopt;
    }
    ActionBlock block;
    block.flags = qFromLittleEndian<uint32_t>(data.constData());
    CopyField(block.tuneText, data.constData() + 4);
    CopyField(block.spareText, data.constData() + 4 + kTextSize);
    return block;
}

ActionBlock ActionInbox::Take() {
    if (waiting_.empty()) {
        return {};
    }
    ActionBlock block = waiting_.front();
    waiting_.pop_front();
    return block;
}

void PostActions(ActionInbox& inbox, QObject* tabWindow, const ActionBlock& block) {
    inbox.Push(block);
    PostMessage(tabWindow, WM_REMOTE_COMMAND, kRemoteApplyActions);
}
