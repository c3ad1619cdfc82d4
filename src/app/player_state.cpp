#include "app/player_state.h"

#include <QDBusObjectPath>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>
#include <cmath>

#include "app/preset_table.h"

namespace {

constexpr float kAmLimit = 50.0f;
constexpr float kPresetBandLimit = 2.0f;
constexpr float kSameFrequency = 0.0005f;

bool SameBand(float a, float b) {
    return (a < kPresetBandLimit) == (b < kPresetBandLimit);
}

}  // namespace

QString FrequencyText(float frequency) {
    return frequency < kAmLimit ? QString::asprintf("%.1f AM", frequency * 100.0f)
                                : QString::asprintf("%.2f MHz", frequency);
}

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

QString PlaybackStatus(const PlayerState& state) {
    if (state.archivePlaying || !state.muted) {
        return QStringLiteral("Playing");
    }
    return QStringLiteral("Paused");
}

QVariantMap PlayerMetadata(const PlayerState& state) {
    QVariantMap map;
    if (state.archivePlaying) {
        map["mpris:trackid"] =
            QVariant::fromValue(QDBusObjectPath("/com/quillmoor/Plumora/Archive"));
        map["xesam:title"] = QFileInfo(state.archivePath).completeBaseName();
        map["xesam:url"] = QUrl::fromLocalFile(state.archivePath).toString();
        map["xesam:album"] = QStringLiteral("Archive");
        if (state.lengthUs > 0) {
            map["mpris:length"] = state.lengthUs;
        }
        return map;
    }
    map["mpris:trackid"] = QVariant::fromValue(QDBusObjectPath("/com/quillmoor/Plumora/Radio"));
    map["xesam:title"] = state.recording ? state.station + " (recording)" : state.station;
    map["xesam:artist"] = QStringList{FrequencyText(state.frequency)};
    map["xesam:album"] = QStringLiteral("Radio");
    map["plumora:recording"] = state.recording;
    return map;
}
