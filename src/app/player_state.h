#pragma once

#include <QString>
#include <QVariantMap>
#include <QtGlobal>

class PresetTable;

// What the desktop's media controls show of the program: the radio, and the
// recording the archive plays, when it plays one.
struct PlayerState {
    bool muted = true;
    float frequency = 0.0f;  // MHz
    QString station;         // preset name, else the frequency
    bool recording = false;
    int volume = 50;  // percent

    bool archivePlaying = false;
    QString archivePath;
    qint64 positionUs = 0;
    qint64 lengthUs = 0;

    bool operator==(const PlayerState&) const = default;
};

// The frequency as the read-out shows it: "89.50 MHz", AM as "54.0 AM".
QString FrequencyText(float frequency);

// The name of the preset of the current bank tuned to the frequency, else of
// any preset of the same band, else the frequency text.
QString StationText(float frequency, const PresetTable& presets, int bank);

// "Playing" while the archive plays or the radio is on, "Paused" while the
// radio is muted.
QString PlaybackStatus(const PlayerState& state);

// The media player metadata map (mpris:trackid, xesam:title, ...).
QVariantMap PlayerMetadata(const PlayerState& state);
