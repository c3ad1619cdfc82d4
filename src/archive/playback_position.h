#pragma once

#include <QString>
#include <Qt>
#include <cstdint>
#include <ctime>

// The arithmetic of the archive player's position: the position text, the
// slider in per mille of the length, and seeking by a minute or a second.

inline constexpr int kSliderRange = 1000;

// timeAt: the calendar time at which the position was recorded (0 when
// unknown). Known: the local clock time "%2.2d:%2.2d:%2.2d". Else the
// elapsed time "  %d:%2.2d" or from an hour on "  %d:%2.2d:%2.2d"; empty
// when the bytes per second are not known.
QString PositionText(std::time_t timeAt, int64_t position, uint32_t bytesPerSecond);

// position x 1000 / length; 0 for an empty recording.
int SliderPosition(int64_t position, int64_t length);
// slider x length / 1000.
int64_t SliderToPosition(int slider, int64_t length);

enum class SeekUnit { kMinute, kSecond };

// The position a step forward or back leads to: forward stops at the
// length, back at 0.
int64_t SeekTarget(int64_t position, int64_t length, uint32_t bytesPerSecond, SeekUnit unit,
                   bool forward);

// The step of an arrow key or a forward/back command by the keys held:
// plain a minute, Shift a second; with Ctrl no step at all (false).
bool SeekUnitForModifiers(Qt::KeyboardModifiers modifiers, SeekUnit* unit);
