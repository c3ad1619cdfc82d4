#include "archive/recording_time_estimate.h"

#include <algorithm>

#include "prefs/audio_format_settings.h"

std::optional<QString> RecordingTimeEstimate(const AudioFormatSettings& formats, int fileSizeMb) {
    double bytesPerSecond = 0;
    if (formats.waveFormat.formatTag != WaveFormat::kTagPcm &&
        formats.waveFormat.avgBytesPerSec != 0) {
        bytesPerSecond = formats.waveFormat.avgBytesPerSec;
    } else {
        bytesPerSecond = (formats.sixteenBit ? 2.0 : 1.0) * (formats.stereo ? 2.0 : 1.0) *
                         std::max(formats.sampleRate, 0);
    }
    if (bytesPerSecond <= 0) {
        return std::nullopt;
    }
    const double bytes = std::max(fileSizeMb, 1) * 1048576.0;
    return QString::asprintf("%.1f minutes", bytes / bytesPerSecond / 60.0);
}
