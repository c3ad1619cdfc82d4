#include "desktop/player_state.h"

#include <QCryptographicHash>
#include <QDBusObjectPath>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>

namespace {

constexpr float kAmLimit = 50.0f;

}  // namespace

QString FrequencyText(float frequency) {
    return frequency < kAmLimit ? QString::asprintf("%.1f AM", frequency * 100.0f)
                                : QString::asprintf("%.2f MHz", frequency);
}

QString PlaybackStatus(const PlayerState& state) {
    if (state.archivePlaying || (!state.archiveOpen && !state.muted)) {
        return QStringLiteral("Playing");
    }
    return state.archiveOpen ? QStringLiteral("Paused") : QStringLiteral("Stopped");
}

QString ArchiveTrackId(const QString& path) {
    // Object paths take letters, digits and "_" only.
    const QByteArray hash =
        QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex().left(24);
    return QStringLiteral("/com/quillmoor/Plumora/Archive/t") + QString::fromLatin1(hash);
}

QVariantMap PlayerMetadata(const PlayerState& state) {
    QVariantMap map;
    if (state.archiveOpen) {
        map["mpris:trackid"] =
            QVariant::fromValue(QDBusObjectPath(ArchiveTrackId(state.archivePath)));
        map["xesam:title"] = QFileInfo(state.archivePath).completeBaseName();
        map["xesam:url"] = QUrl::fromLocalFile(state.archivePath).toString();
        map["xesam:album"] = QStringLiteral("Archive");
        map["xesam:artist"] = QStringList{state.archiveArtist.isEmpty() ? QStringLiteral("Plumora")
                                                                        : state.archiveArtist};
        if (state.lengthUs > 0) {
            map["mpris:length"] = state.lengthUs;
        }
        return map;
    }
    map["mpris:trackid"] = QVariant::fromValue(QDBusObjectPath(kRadioTrackId));
    map["xesam:title"] = state.recording ? state.station + " (recording)" : state.station;
    map["xesam:artist"] = QStringList{FrequencyText(state.frequency)};
    map["xesam:album"] = QStringLiteral("Radio");
    map["plumora:recording"] = state.recording;
    return map;
}
