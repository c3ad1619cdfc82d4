#pragma once

#include <QString>
#include <QVariantMap>
#include <QtGlobal>

// What the desktop's media controls show of the program: the radio, and the
// recording the archive has open, when it has one.
struct PlayerState {
    bool muted = true;
    float frequency = 0.0f;  // MHz
    QString station;         // preset name, else the frequency
    bool recording = false;
    int volume = 50;  // percent

    bool archiveOpen = false;  // a recording is open in the archive's player
    bool archivePlaying = false;
    QString archivePath;
    QString archiveArtist;  // station or event of the recording; empty when unknown
    qint64 positionUs = 0;
    qint64 lengthUs = 0;

    bool operator==(const PlayerState&) const = default;
};

// The frequency as the read-out shows it: "89.50 MHz", AM as "54.0 AM".
QString FrequencyText(float frequency);

// "Playing" while the archive plays or the radio is on; "Paused" while a
// recording is open in the archive but not playing; else "Stopped".
QString PlaybackStatus(const PlayerState& state);

// The track id of a recording: one per file, the same for the same path.
QString ArchiveTrackId(const QString& path);
inline constexpr const char* kRadioTrackId = "/com/quillmoor/Plumora/Radio";

// The media player metadata map (mpris:trackid, xesam:title, ...).
QVariantMap PlayerMetadata(const PlayerState& state);
