#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <deque>
#include <optional>

// Start-up actions, carried inside the process and from a second start of
// the program to the running one. The wire form is exactly 524 bytes:
// a little-endian 32-bit flag word, the 260-byte tune text and a 260-byte
// spare text, both NUL-terminated.
enum ActionFlags : uint32_t {
    kActionFlagMute = 0x01,
    kActionFlagUnmute = 0x02,
    kActionFlagRecord = 0x04,
    kActionFlagStopRecord = 0x08,
    kActionFlagTune = 0x10,
};

struct ActionBlock {
    static constexpr int kSize = 524;
    static constexpr int kTextSize = 260;

    uint32_t flags = 0;
    std::array<char, kTextSize> tuneText{};
    std::array<char, kTextSize> spareText{};

    void Reset() { *this = ActionBlock{}; }

    // Copies at most 259 bytes; the rest of the field is zeroed.
    void SetTuneText(const QByteArray& text);
    QByteArray TuneText() const;

    QByteArray Serialize() const;

    // A block of exactly 524 bytes. A text field without terminator ends at
    // the end of its field. Anything else is refused.
    static std::optional<ActionBlock> Parse(const QByteArray& data);
};

static_assert(sizeof(uint32_t) + 2 * ActionBlock::kTextSize == ActionBlock::kSize);

// Action blocks handed to the running program and not yet applied, in the
// order they came: each WM_REMOTE_COMMAND posted for one applies exactly
// that one, so two hand-overs close together both run, once each.
class ActionInbox {
  public:
    void Push(const ActionBlock& block) { waiting_.push_back(block); }
    // The oldest waiting block, taken out; an empty block when none waits.
    ActionBlock Take();
    bool empty() const { return waiting_.empty(); }

  private:
    std::deque<ActionBlock> waiting_;
};

class QObject;

// Queues the block and posts WM_REMOTE_COMMAND for it to the tab window,
// which relays it to the panels; the radio panel takes the block.
void PostActions(ActionInbox& inbox, QObject* tabWindow, const ActionBlock& block);
