#include "app/station_text.h"

#include <cmath>

#include "app/preset_table.h"
#include "desktop/player_state.h"

namespace {

constexpr float kPresetBandLimit = 2.0f;
constexpr float kSameFrequency = 0.0005f;

bool SameBand(float a, float b) {
    return (a < kPresetBandLimit) == (b < kPresetBandLimit);
}

}  // namespace

QString StationText(float frequency, const PresetTable& presets, int bank) {
    auto nameAt = [&](int index) -> QString {
        const float preset = presets.GetFrequency(index);
        if (preset < PresetTable::kProgrammedThreshold || !SameBand(preset, frequency) ||
            std::fabs(preset - frequency) > kSameFrequency) {
            return {};
        }
        return presets.GetName(index).trimmed();
    };
    if (bank >= 1 && bank <= PresetTable::kBankCount) {
        for (int button = 0; button < PresetTable::kPresetsPerBank; ++button) {
            if (QString name = nameAt(PresetTable::IndexOf(bank, button)); !name.isEmpty()) {
                return name;
            }
        }
    }
    for (int index = 0; index < PresetTable::kPresetCount; ++index) {
        if (QString name = nameAt(index); !name.isEmpty()) {
            return name;
        }
    }
    return FrequencyText(frequency);
}
