#include "app/radio_panel_state.h"

#include "platform/settings_hive.h"
#include "prefs/settings_values.h"

void RadioPanelState::Load(const SettingsKey& key) {
    if (const auto text = key.QueryString("Frequency")) {
        frequency = settings_values::ParseFloat(*text).value_or(kDefaultFrequency);
    }
    settings_values::ReadFlag(key, "Mute", muted);
    if (const auto stored = key.QueryByte("Bank")) {
        bank = (*stored >= 1 && *stored <= 8) ? *stored : kDefaultBank;
    }
}

void RadioPanelState::Save(SettingsKey& key) const {
    key.SetString("Frequency", settings_values::FormatFloat(frequency));
    key.SetByte("Mute", muted ? 1 : 0);
    key.SetByte("Bank", static_cast<quint8>(bank));
}
