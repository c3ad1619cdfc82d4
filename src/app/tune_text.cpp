#include "app/tune_text.h"

#include <QString>
#include <cctype>

#include "app/preset_table.h"
#include "prefs/settings_values.h"

namespace {

constexpr int kFmPresetCount = 32;
constexpr float kLowestFrequency = 0.5f;

}  // namespace

std::optional<float> FrequencyFromTuneText(const QByteArray& text, const PresetTable& presets) {
    if (!text.isEmpty() && std::isdigit(static_cast<unsigned char>(text[0]))) {
        float frequency = settings_values::ParseFloat(QString::fromLatin1(text)).value_or(0.0f);
        if (text.contains('a') || text.contains('A')) {
            frequency *= 0.01f;
        }
        if (frequency > kLowestFrequency) {
            return frequency;
        }
        return std::nullopt;
    }
    if (text.isEmpty()) {
        return std::nullopt;  // an empty text would match every unnamed preset
    }
    const QString name = QString::fromLocal8Bit(text);
    for (int i = 0; i < kFmPresetCount; ++i) {
        if (presets.GetName(i).compare(name, Qt::CaseInsensitive) == 0) {
            return presets.GetFrequency(i);
        }
    }
    return std::nullopt;
}
