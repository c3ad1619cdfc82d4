#pragma once

#include <QPoint>

#include "app/preset_table.h"
#include "app/radio_panel_state.h"
#include "archive/recording_file_settings.h"
#include "prefs/audio_format_settings.h"
#include "prefs/general_settings.h"
#include "prefs/sound_device_settings.h"
#include "radio/radio_settings.h"
#include "sched/event_table.h"

// Every value the program keeps in its settings, one record per owner.
// One instance lives as long as the program.
struct SettingsRecords {
    int volume = 50;  // radio volume in percent
    QPoint windowPosition{100, 100};

    EventTable events;
    PresetTable presets;
    RadioPanelState radioPanel;
    GeneralSettings general;
    AudioFormatSettings formats;
    RecordingFileSettings files;
    RadioSettings radio;
    SoundDeviceSettings sound;
};
