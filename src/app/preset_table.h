#pragma once

#include <QString>
#include <array>

class SettingsKey;

// One station preset; frequency 0 means empty.
struct StationPreset {
    static constexpr int kMaxNameLength = 43;

    float frequency = 0.0f;  // MHz, AM presets too
    QString name;            // call-sign

    bool operator==(const StationPreset&) const = default;
};

// The 64 station presets: eight banks of eight, banks 1 to 4 FM (indexes 0
// to 31), banks 5 to 8 AM (indexes 32 to 63). Every operation ignores an
// index outside 0 to 63.
class PresetTable {
  public:
    static constexpr int kPresetCount = 64;
    static constexpr int kFmPresetCount = 32;
    static constexpr int kPresetsPerBank = 8;
    static constexpr int kBankCount = 8;
    // Lowest frequency that counts as programmed for tuning, buttons and saving.
    static constexpr float kProgrammedThreshold = 0.5f;

    // Index of button (0 to 7) of bank (1 to 8).
    static constexpr int IndexOf(int bank, int button) {
        return (bank - 1) * kPresetsPerBank + button;
    }

    // -1 for an index outside the table.
    float GetFrequency(int index) const;
    // Empty for an index outside the table.
    QString GetName(int index) const;
    // The name is cut to StationPreset::kMaxNameLength characters.
    void Set(int index, float frequency, const QString& name);
    void Clear(int index);
    void Swap(int a, int b);
    void ClearAll();

    bool operator==(const PresetTable&) const = default;

  private:
    static bool Valid(int index) { return index >= 0 && index < kPresetCount; }

    std::array<StationPreset, kPresetCount> presets_{};
};

// "Station%d"/"StationName%d" for the FM presets, "AMStation%d"/
// "AMStationName%d" for the AM presets (n = 0 to 31). Loading empties every
// preset first; a missing or unreadable value leaves the field empty.
void LoadPresets(const SettingsKey& key, PresetTable& table);
// A programmed preset writes its frequency ("%.4f") and name; any other
// preset deletes both values.
void SavePresets(SettingsKey& key, const PresetTable& table);
