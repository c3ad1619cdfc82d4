#pragma once

#include <QIcon>

// The icons that show the program's state on the frame and in the tray.
struct StateIconPair {
    int normal = 0;  // also the tray icon
    int small = 0;
    bool operator==(const StateIconPair&) const = default;
};

namespace state_icon {
constexpr int kMutedNormal = 1003;
constexpr int kMutedSmall = 1004;
constexpr int kRecordingSmall = 1005;
constexpr int kRecordingNormal = 1006;
constexpr int kIdleSmall = 1007;
constexpr int kIdleNormal = 1008;
constexpr int kRecordingMutedNormal = 1009;
constexpr int kRecordingMutedSmall = 1010;
}  // namespace state_icon

// The pair for the recording and muted flags.
StateIconPair PickStateIcons(bool recording, bool muted);

// The resource path of one icon's artwork.
QString StateIconPath(int id);

// One icon drawn from its artwork at the usual sizes.
QIcon StateIcon(int id);

// The frame's icon: the small artwork at the small sizes, the normal one
// above them.
QIcon StateIconSet(const StateIconPair& pair);

// The tray icon's tip for a normal icon; empty when it has none.
QString StateIconTip(int id);
