#include "app/preset_table.h"

#include <utility>

#include "platform/settings_hive.h"
#include "prefs/settings_values.h"

namespace {

QString FrequencyKey(int index) {
    return index < PresetTable::kFmPresetCount
               ? QStringLiteral("Station%1").arg(index)
               : QStringLiteral("AMStation%1").arg(index - PresetTable::kFmPresetCount);
}

QString NameKey(int index) {
    return index < PresetTable::kFmPresetCount
               ? QStringLiteral("StationName%1").arg(index)
               : QStringLiteral("AMStationName%1").arg(index - PresetTable::kFmPresetCount);
}

}  // namespace

float PresetTable::GetFrequency(int index) const {
    return Valid(index) ? presets_[index].frequency : -1.0f;
}

QString PresetTable::GetName(int index) const {
    return Valid(index) ? presets_[index].name : QString();
}

void PresetTable::Set(int index, float frequency, const QString& name) {
    if (Valid(index)) {
        presets_[index] = StationPreset{frequency, name.left(StationPreset::kMaxNameLength)};
    }
}

void PresetTable::Clear(int index) {
    if (Valid(index)) {
        presets_[index] = StationPreset{};
    }
}

void PresetTable::Swap(int a, int b) {
    if (Valid(a) && Valid(b)) {
        std::swap(presets_[a], presets_[b]);
    }
}

void PresetTable::ClearAll() {
    presets_.fill(StationPreset{});
}

void LoadPresets(const SettingsKey& key, PresetTable& table) {
    table.ClearAll();
    for (int i = 0; i < PresetTable::kPresetCount; ++i) {
        float frequency = 0.0f;
        if (const auto text = key.QueryString(FrequencyKey(i))) {
            frequency = settings_values::ParseFloat(*text).value_or(0.0f);
        }
        table.Set(
            i, frequency,
            settings_values::ReadText(key, NameKey(i), QString(), StationPreset::kMaxNameLength));
    }
}

void SavePresets(SettingsKey& key, const PresetTable& table) {
    for (int i = 0; i < PresetTable::kPresetCount; ++i) {
        const float frequency = table.GetFrequency(i);
        if (frequency >= PresetTable::kProgrammedThreshold) {
            key.SetString(FrequencyKey(i), settings_values::FormatFloat(frequency));
            key.SetString(NameKey(i), table.GetName(i));
        } else {
            key.DeleteValue(FrequencyKey(i));
            key.DeleteValue(NameKey(i));
        }
    }
}
