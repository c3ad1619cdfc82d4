#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "platform/sdr_demodulator.h"
#include "platform/sdr_tuning.h"
#include "support/synthetic_station.h"
#include "support/tone_analysis.h"

namespace {

using tone_analysis::Amplitude;
using tone_analysis::Channel;
using tone_analysis::Db;

// Demodulates seconds of the station, fed in uneven blocks as a receive
// thread delivers them, through the unsigned 8-bit form when asked.
std::vector<int16_t> Demodulate(const SyntheticStationConfig& station,
                                const SdrDemodulatorConfig& config, double seconds,
                                SdrDemodulator* keep = nullptr, bool viaU8 = false) {
    SyntheticStation source(station);
    SdrDemodulator local(config);
    SdrDemodulator& demodulator = keep ? *keep : local;
    std::vector<int16_t> audio;
    const auto total = static_cast<size_t>(seconds * station.sampleRate);
    std::vector<std::complex<float>> iq;
    std::vector<uint8_t> bytes;
    for (size_t at = 0, block = 10007; at < total; at += block, block = block * 3 % 40009 + 1) {
        const size_t n = std::min(block, total - at);
        iq.clear();
        if (viaU8) {
            bytes.clear();
            source.GenerateU8(n, bytes);
            AppendU8Iq(bytes.data(), bytes.size(), iq);
        } else {
            source.Generate(n, iq);
        }
        demodulator.Process(iq.data(), iq.size(), audio);
    }
    return audio;
}

// |1 + j w tau| in dB: the pre-emphasis gain at hz.
double EmphasisDb(double hz, int us) {
    return 10 * std::log10(1 + std::pow(2 * std::numbers::pi * hz * us * 1e-6, 2));
}

struct FmCase {
    const char* name;
    bool stereoStation;
    bool stereoDecode;
    double inputRate;
    double offsetHz;
    double tuningErrorHz;  // the station lies this far from where it is expected
    uint32_t audioRate;
    double pilotScale;
    bool viaU8;
    bool expectLocked;
    double minSnrDb;  // of the left tone, when alone in its channel
    // Least separation of the stereo tones; 0: the output must be mono
    // (left equal to right); negative: a mono station, not measured.
    double minSeparationDb;
};

class SdrFmTest : public testing::TestWithParam<FmCase> {};

TEST_P(SdrFmTest, RecoversTheTonesAtTheirFrequencyLevelAndChannel) {
    const FmCase& c = GetParam();
    SyntheticStationConfig station;
    station.sampleRate = c.inputRate;
    station.offsetHz = c.offsetHz + c.tuningErrorHz;
    station.stereo = c.stereoStation;
    station.pilotScale = c.pilotScale;
    station.cnrDb = 40;
    if (!c.stereoStation) {
        station.right = station.left;  // 1 kHz on both
    }
    SdrDemodulatorConfig config{c.inputRate, c.offsetHz, c.audioRate, c.stereoDecode, 50};
    SdrDemodulator demodulator(config);
    const double seconds = 1.5;
    const std::vector<int16_t> audio = Demodulate(station, config, seconds, &demodulator, c.viaU8);
    const int channels = c.stereoDecode ? 2 : 1;
    EXPECT_NEAR(audio.size() / channels, seconds * c.audioRate, 0.01 * c.audioRate);
    EXPECT_EQ(demodulator.StereoLocked(), c.expectLocked);
    // No constant from a station tuned a little off, on either channel.
    for (int channel = 0; channel < channels; ++channel) {
        const std::vector<double> x = Channel(audio, channels, channel, c.audioRate / 2);
        double mean = 0;
        for (double v : x) {
            mean += v / static_cast<double>(x.size());
        }
        EXPECT_LT(std::fabs(mean), 30.0) << "channel " << channel;
    }

    const size_t skip = c.audioRate / 2;
    const std::vector<double> left = Channel(audio, channels, 0, skip);
    const std::vector<double> right = Channel(audio, channels, channels - 1, skip);
    if (!c.stereoStation) {
        const tone_analysis::Tone tone = tone_analysis::Measure(left, c.audioRate, 1000);
        EXPECT_NEAR(tone.hz, 1000.0, 0.05);
        EXPECT_GT(tone.snrDb, c.minSnrDb);
        // Full deviation is 0.7 of full scale.
        EXPECT_NEAR(tone.amplitude, 0.8 * 0.7 * 32767, 0.05 * 0.8 * 0.7 * 32767);
    } else if (c.minSeparationDb > 0) {
        const tone_analysis::Tone l = tone_analysis::Measure(left, c.audioRate, 1000);
        const tone_analysis::Tone r = tone_analysis::Measure(right, c.audioRate, 1600);
        EXPECT_NEAR(l.hz, 1000.0, 0.05);
        EXPECT_NEAR(r.hz, 1600.0, 0.05);
        EXPECT_GT(l.snrDb, c.minSnrDb);
        EXPECT_GT(Db(Amplitude(left, c.audioRate, 1000) / Amplitude(right, c.audioRate, 1000)),
                  c.minSeparationDb);
        EXPECT_GT(Db(Amplitude(right, c.audioRate, 1600) / Amplitude(left, c.audioRate, 1600)),
                  c.minSeparationDb);
    }
    if (c.minSeparationDb <= 0) {
        EXPECT_EQ(left, right);  // mono: the same in both channels
    }
    if (c.minSeparationDb == 0) {
        // A stereo station heard in mono: both tones at the same level.
        const double l = Amplitude(left, c.audioRate, 1000);
        const double r = Amplitude(left, c.audioRate, 1600);
        EXPECT_NEAR(Db(l / r), 0.0, 0.5);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SdrFmTest,
                         testing::Values(FmCase{"MonoStationMono", false, false, 1024000, 250000, 0,
                                                44100, 1, false, false, 55, -1},
                                         FmCase{"MonoStationOnStereoDecoder", false, true, 1024000,
                                                250000, 0, 48000, 1, true, false, 55, -1},
                                         FmCase{"StereoStation", true, true, 1024000, 250000, 0,
                                                48000, 1, true, true, 40, 45},
                                         FmCase{"StereoTuned5kHzOff", true, true, 1024000, 250000,
                                                5000, 44100, 1, false, true, 40, 45},
                                         FmCase{"StereoBelowCentreFasterRate", true, true, 2048000,
                                                -300000, 0, 32000, 1, false, true, 40, 45},
                                         FmCase{"StereoStationMonoDecode", true, false, 1024000,
                                                250000, 0, 44100, 1, false, false, 0, 0},
                                         FmCase{"WeakPilotFallsBackToMono", true, true, 1024000,
                                                250000, 0, 44100, 0.1, false, false, 0, 0}),
                         [](const testing::TestParamInfo<FmCase>& info) {
                             return std::string(info.param.name);
                         });

struct EmphasisCase {
    int preUs;
    int deUs;
};

class SdrDeemphasisTest : public testing::TestWithParam<EmphasisCase> {};

// A 10 kHz tone keeps its level relative to 1 kHz when the de-emphasis
// matches the station's pre-emphasis, and is off by their difference when not.
TEST_P(SdrDeemphasisTest, HighToneLevelFollowsTheTimeConstants) {
    const EmphasisCase& c = GetParam();
    SyntheticStationConfig station;
    station.stereo = false;
    station.left = {{1000, 0.3}, {10000, 0.12}};
    station.right = station.left;
    station.preemphasisUs = c.preUs;
    SdrDemodulatorConfig config;
    config.stereo = false;
    config.deemphasisUs = c.deUs;
    const std::vector<int16_t> audio = Demodulate(station, config, 1.0);
    const std::vector<double> x = Channel(audio, 1, 0, config.audioRate / 2);
    const double measured =
        Db(Amplitude(x, config.audioRate, 10000) / Amplitude(x, config.audioRate, 1000)) -
        Db(0.12 / 0.3);
    const double expected = EmphasisDb(10000, c.preUs) - EmphasisDb(1000, c.preUs) -
                            (EmphasisDb(10000, c.deUs) - EmphasisDb(1000, c.deUs));
    EXPECT_NEAR(measured, expected, 0.3) << c.preUs << " us pre, " << c.deUs << " us de";
}

INSTANTIATE_TEST_SUITE_P(Cases, SdrDeemphasisTest,
                         testing::Values(EmphasisCase{50, 50}, EmphasisCase{75, 75},
                                         EmphasisCase{75, 50}, EmphasisCase{0, 50},
                                         EmphasisCase{50, 0}));

// The channel's signal-to-noise ratio tells stations from noise, for Scan.
TEST(SdrDemodulatorTest, ChannelSnrTellsStationsFromNoise) {
    struct Case {
        SyntheticKind kind;
        double cnrDb;
        double low, high;
    };
    // FM is referred to 200 kHz, AM to its 10 kHz channel (13 dB less noise).
    const Case cases[] = {
        {SyntheticKind::Fm, 30, 26, 33},     {SyntheticKind::Fm, 15, 12, 18},
        {SyntheticKind::Noise, 30, -100, 6}, {SyntheticKind::Am, 30, 38, 48},
        {SyntheticKind::Noise, 30, -100, 6},
    };
    bool am = false;
    for (const Case& c : cases) {
        SyntheticStationConfig station;
        station.kind = c.kind;
        station.cnrDb = c.cnrDb;
        station.left = {{1000, 0.5}};
        am = c.kind == SyntheticKind::Am || (am && c.kind == SyntheticKind::Noise);
        SdrDemodulatorConfig config;
        config.modulation = am ? SdrModulation::Am : SdrModulation::Fm;
        SdrDemodulator demodulator(config);
        EXPECT_EQ(demodulator.ChannelSnrDb(), SdrDemodulator::kNoSignalSnrDb);
        Demodulate(station, config, 0.5, &demodulator);
        const double snr = demodulator.ChannelSnrDb();
        EXPECT_GE(snr, c.low) << int(c.kind) << " at " << c.cnrDb << " dB, AM " << am;
        EXPECT_LE(snr, c.high) << int(c.kind) << " at " << c.cnrDb << " dB, AM " << am;
        EXPECT_EQ(demodulator.Tuned(), c.kind != SyntheticKind::Noise);
        demodulator.Reset();
        EXPECT_EQ(demodulator.ChannelSnrDb(), SdrDemodulator::kNoSignalSnrDb);
    }
}

TEST(SdrDemodulatorTest, AmIsDemodulatedByItsEnvelope) {
    SyntheticStationConfig station;
    station.kind = SyntheticKind::Am;
    station.left = {{1000, 0.5}};
    station.cnrDb = 40;
    for (const bool stereo : {false, true}) {
        SdrDemodulatorConfig config;
        config.modulation = SdrModulation::Am;
        config.stereo = stereo;
        config.audioRate = 22050;
        const std::vector<int16_t> audio = Demodulate(station, config, 1.5);
        const int channels = stereo ? 2 : 1;
        const tone_analysis::Tone tone =
            tone_analysis::Measure(Channel(audio, channels, 0, 11025), 22050, 1000);
        EXPECT_NEAR(tone.hz, 1000, 0.05);
        EXPECT_GT(tone.snrDb, 40);
        // 50 % modulation gives half of full scale's 0.7.
        EXPECT_NEAR(tone.amplitude, 0.5 * 0.7 * 32767, 0.05 * 0.5 * 0.7 * 32767);
        EXPECT_EQ(Channel(audio, channels, 0), Channel(audio, channels, channels - 1));
    }
}

TEST(SdrDemodulatorTest, ConvertsUnsignedIqAroundTheMiddle) {
    const uint8_t bytes[] = {0, 255, 128, 127, 200};
    std::vector<std::complex<float>> out;
    AppendU8Iq(bytes, sizeof bytes, out);
    ASSERT_EQ(out.size(), 2u);  // the odd last byte is left
    EXPECT_FLOAT_EQ(out[0].real(), -1.0f);
    EXPECT_FLOAT_EQ(out[0].imag(), 1.0f);
    EXPECT_FLOAT_EQ(out[1].real(), 0.5f / 127.5f);
    EXPECT_FLOAT_EQ(out[1].imag(), -0.5f / 127.5f);
}

TEST(SdrTuningTest, DeemphasisByTerritoryAndTheTuningOffset) {
    const std::pair<QLocale::Territory, int> cases[] = {
        {QLocale::UnitedStates, 75},  {QLocale::Canada, 75},     {QLocale::Brazil, 75},
        {QLocale::PuertoRico, 75},    {QLocale::SouthKorea, 75}, {QLocale::Germany, 50},
        {QLocale::UnitedKingdom, 50}, {QLocale::Japan, 50},      {QLocale::Australia, 50},
        {QLocale::AnyTerritory, 50},
    };
    for (const auto& [territory, us] : cases) {
        EXPECT_EQ(sdr_tuning::DeemphasisUsFor(territory), us) << territory;
    }
    const int own = sdr_tuning::DefaultDeemphasisUs();
    EXPECT_TRUE(own == 50 || own == 75);
    // The station lies at +250 kHz in the baseband, clear of DC; a quarter
    // of the rate on slower devices.
    EXPECT_EQ(sdr_tuning::CentreFrequencyHz(100.1e6, 1.024e6), 99.85e6);
    EXPECT_EQ(sdr_tuning::CentreFrequencyHz(100.1e6, 0.9e6), 99.875e6);
    EXPECT_EQ(sdr_tuning::StationOffsetHz(1.024e6), 250e3);
    EXPECT_EQ(sdr_tuning::StationOffsetHz(2.4e6), 250e3);
    EXPECT_EQ(sdr_tuning::StationOffsetHz(0.9e6), 225e3);
    EXPECT_TRUE(sdr_tuning::IsAmBand(520e3));
    EXPECT_TRUE(sdr_tuning::IsAmBand(1710e3));
    EXPECT_FALSE(sdr_tuning::IsAmBand(1711e3));
    EXPECT_FALSE(sdr_tuning::IsAmBand(87.5e6));
}

}  // namespace
