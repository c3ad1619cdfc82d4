#include <gtest/gtest.h>

#include "archive/recording_time_estimate.h"
#include "prefs/audio_format_settings.h"

namespace {

AudioFormatSettings Pcm(int rate, bool sixteenBit, bool stereo) {
    AudioFormatSettings formats;
    formats.sampleRate = rate;
    formats.sixteenBit = sixteenBit;
    formats.stereo = stereo;
    formats.waveFormat = WaveFormat::Pcm(stereo ? 2 : 1, rate, sixteenBit ? 16 : 8);
    return formats;
}

TEST(RecordingTimeEstimate, UncompressedFromRateResolutionAndChannels) {
    const AudioFormatSettings mono = Pcm(44100, true, false);
    EXPECT_EQ(RecordingTimeEstimate(mono, 200), "39.6 minutes");
    EXPECT_EQ(RecordingTimeEstimate(mono, 5000), "990.7 minutes");
    EXPECT_EQ(RecordingTimeEstimate(Pcm(44100, true, true), 200), "19.8 minutes");
    EXPECT_EQ(RecordingTimeEstimate(Pcm(8000, false, false), 9999), "21843.1 minutes");
    // A limit below 1 MB is stored as 1.
    EXPECT_EQ(RecordingTimeEstimate(mono, 0), "0.2 minutes");
    EXPECT_EQ(RecordingTimeEstimate(mono, -5), "0.2 minutes");
}

TEST(RecordingTimeEstimate, CompressedFromTheFormatsByteRate) {
    AudioFormatSettings formats = Pcm(44100, true, true);
    formats.waveFormat.formatTag = 2;  // an ADPCM codec
    formats.waveFormat.avgBytesPerSec = 22311;
    EXPECT_EQ(RecordingTimeEstimate(formats, 200), "156.7 minutes");
    // A codec format that gives no byte rate falls back to the PCM figures.
    formats.waveFormat.avgBytesPerSec = 0;
    EXPECT_EQ(RecordingTimeEstimate(formats, 200), "19.8 minutes");
}

TEST(RecordingTimeEstimate, NoByteRateGivesNoText) {
    EXPECT_EQ(RecordingTimeEstimate(Pcm(0, true, false), 200), std::nullopt);
}

}  // namespace
