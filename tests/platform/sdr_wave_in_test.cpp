#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>

#include "platform/sdr_audio.h"
#include "platform/wave_device.h"
#include "support/tone_analysis.h"

namespace {

// The receiver's audio, left 1 kHz at half scale and right 1.6 kHz at a
// quarter, recorded in formats of every rate, channel count and sample size:
// each tone where it belongs (both, mixed, in one channel), at its level.
TEST(SdrCaptureDevice, ConvertsTheReceiverAudioToTheFormatOpened) {
    const int source = 0;
    sdr_audio::AttachSource(&source);
    struct {
        int channels;
        uint32_t rate;
        int bits;
        double leftSnrDb;
    } formats[] = {{2, 44100, 16, 60}, {2, 48000, 32, 60}, {1, 22050, 8, 35}, {1, 8000, 16, 0}};
    for (const auto& f : formats) {
        const WaveFormat format = WaveFormat::Pcm(f.channels, f.rate, f.bits);
        int result = kWaveError;
        std::unique_ptr<WaveDevice> device = WaveDevice::Open(
            WaveDirection::kInput, kSdrCaptureDevice, format, nullptr, nullptr, 0, &result);
        ASSERT_NE(device, nullptr) << result;
        std::vector<char> buffer(format.avgBytesPerSec);  // a second
        WaveHeader header;
        header.data = buffer.data();
        header.bufferLength = static_cast<uint32_t>(buffer.size());
        ASSERT_EQ(device->Prepare(&header), kWaveOk);
        ASSERT_EQ(device->AddBuffer(&header), kWaveOk);
        ASSERT_EQ(device->Start(), kWaveOk);
        constexpr size_t kFrames = 4800;
        std::vector<float> block(2 * kFrames);
        for (size_t n = 0; (header.flags.load() & WaveHeader::kDone) == 0 && n < 20 * kFrames;) {
            for (size_t i = 0; i < kFrames; ++i, ++n) {
                const double t = static_cast<double>(n) / kSdrAudioRate;
                block[2 * i] = static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * 1000 * t));
                block[2 * i + 1] =
                    static_cast<float>(0.25 * std::sin(2 * std::numbers::pi * 1600 * t));
            }
            sdr_audio::Deliver(&source, block.data(), kFrames);
        }
        ASSERT_NE(header.flags.load() & WaveHeader::kDone, 0u) << f.rate;
        device->Stop();
        device->Unprepare(&header);

        std::vector<int16_t> pcm(header.bytesRecorded / (f.bits / 8));
        for (size_t i = 0; i < pcm.size(); ++i) {
            const auto* p = reinterpret_cast<const uint8_t*>(buffer.data()) + i * (f.bits / 8);
            pcm[i] = f.bits == 8
                         ? static_cast<int16_t>((p[0] - 128) * 256)
                         : static_cast<int16_t>(p[f.bits / 8 - 2] | (p[f.bits / 8 - 1] << 8));
        }
        const std::vector<double> left = tone_analysis::Channel(pcm, f.channels, 0, f.rate / 10);
        const std::vector<double> right =
            tone_analysis::Channel(pcm, f.channels, f.channels - 1, f.rate / 10);
        const double mix = f.channels == 1 ? 0.5 : 1.0;
        EXPECT_NEAR(tone_analysis::Amplitude(left, f.rate, 1000), 0.5 * mix * 32768, 300) << f.rate;
        EXPECT_NEAR(tone_analysis::Amplitude(right, f.rate, 1600), 0.25 * mix * 32768, 300)
            << f.rate;
        if (f.channels == 2) {
            EXPECT_LT(tone_analysis::Amplitude(left, f.rate, 1600), 30) << "kept apart";
            const double snrDb = tone_analysis::Measure(left, f.rate, 1000).snrDb;
            EXPECT_GT(snrDb, f.leftSnrDb) << f.rate;
            RecordProperty("snr_db_" + std::to_string(f.rate), std::to_string(snrDb));
        }
    }
    sdr_audio::DetachSource(&source);
}

}  // namespace
