#include "archive/playback_position.h"

#include <algorithm>
#include <cstdio>

QString PositionText(std::time_t timeAt, int64_t position, uint32_t bytesPerSecond) {
    char text[64];
    if (timeAt != 0) {
        std::tm local{};
        if (localtime_r(&timeAt, &local) == nullptr) {
            return {};
        }
        std::snprintf(text, sizeof text, "%2.2d:%2.2d:%2.2d", local.tm_hour, local.tm_min,
                      local.tm_sec);
        return QString::fromLatin1(text);
    }
    if (bytesPerSecond < 1) {
        return {};
    }
    const int64_t s = std::max<int64_t>(0, position) / bytesPerSecond;
    if (s >= 3600) {
        std::snprintf(text, sizeof text, "  %d:%2.2d:%2.2d", static_cast<int>(s / 3600),
                      static_cast<int>(s / 60 % 60), static_cast<int>(s % 60));
    } else {
        std::snprintf(text, sizeof text, "  %d:%2.2d", static_cast<int>(s / 60),
                      static_cast<int>(s % 60));
    }
    return QString::fromLatin1(text);
}

int SliderPosition(int64_t position, int64_t length) {
    if (length <= 0) {
        return 0;
    }
    return static_cast<int>(std::clamp<int64_t>(position, 0, length) * kSliderRange / length);
}

int64_t SliderToPosition(int slider, int64_t length) {
    return std::clamp(slider, 0, kSliderRange) * std::max<int64_t>(0, length) / kSliderRange;
}

int64_t SeekTarget(int64_t position, int64_t length, uint32_t bytesPerSecond, SeekUnit unit,
                   bool forward) {
    const int64_t step =
        static_cast<int64_t>(bytesPerSecond) * (unit == SeekUnit::kMinute ? 60 : 1);
    if (forward) {
        return std::min(position + step, length);
    }
    return step > position ? 0 : position - step;
}

bool SeekUnitForModifiers(Qt::KeyboardModifiers modifiers, SeekUnit* unit) {
    if (modifiers & Qt::ControlModifier) {
        return false;
    }
    *unit = (modifiers & Qt::ShiftModifier) ? SeekUnit::kSecond : SeekUnit::kMinute;
    return true;
}
