#pragma once

class SettingsKey;

// The radio panel's persisted tuner state: current frequency, muted flag and
// current bank.
struct RadioPanelState {
    static constexpr float kDefaultFrequency = 89.9f;
    static constexpr int kDefaultBank = 1;

    float frequency = kDefaultFrequency;  // MHz
    bool muted = false;
    int bank = kDefaultBank;  // 1 to 8

    // "Frequency" (text), "Mute" and "Bank" (one byte each). Replaces every
    // value: a missing or unreadable frequency gives 89.9, a bank outside 1
    // to 8 gives 1.
    void Load(const SettingsKey& key);
    void Save(SettingsKey& key) const;

    bool operator==(const RadioPanelState&) const = default;
};
