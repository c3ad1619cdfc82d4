#include "app/radio_panel_state.h"

#include "platform/settings_hive.h"
#include "prefs/settings_values.h"

void RadioPanelState::Load(const SettingsKey& key) {
    const auto text = key.QueryString("Frequency");
    frequency =
        text ? settings_values::ParseFloat(*text).value_or(kDefaultFrequency) : kDefaultFrequency;
    muted = settings_values::ReadFlag(key, "Mute", false);
    const auto stored = key.QueryByte("Bank");
    bank = (stored && *stored >= 1 && *stored <= 8) ? *stored : kDefaultBank;
}

void RadioPanelState::Save(SettingsKey& key) const {
    key.SetString("Frequency", settings_values::FormatFloat(frequency));
    key.SetByte("Mute", muted ? 1 : 0);
    key.SetByte("Bank", static_cast<quint8>(bank));
}
