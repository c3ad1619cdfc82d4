#include <gtest/gtest.h>

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "platform/codec_engine.h"
#include "platform/codec_manager.h"
#include "platform/codec_stream.h"

namespace {

using codec::CodecStream;

// Interleaved 16-bit samples of a sine tone, the same on every channel.
QByteArray Tone(double hz, uint32_t rate, uint16_t channels, double seconds, double level = 0.5) {
    const int frames = static_cast<int>(rate * seconds);
    QByteArray out(qsizetype{frames} * channels * 2, '\0');
    auto* s = reinterpret_cast<int16_t*>(out.data());
    for (int i = 0; i < frames; ++i) {
        const double v = level * 32767.0 * std::sin(2.0 * std::numbers::pi * hz * i / rate);
        for (int c = 0; c < channels; ++c) {
            s[i * channels + c] = static_cast<int16_t>(std::lround(v));
        }
    }
    return out;
}

// Frequency of one channel by counting rising zero crossings, over the
// samples from 'from' to 'to' (fractions of the length).
double ToneFrequency(const QByteArray& pcm, uint32_t rate, uint16_t channels, int channel = 0,
                     double from = 0.25, double to = 0.75) {
    const auto* s = reinterpret_cast<const int16_t*>(pcm.constData());
    const qsizetype frames = pcm.size() / (2 * channels);
    const qsizetype first = static_cast<qsizetype>(frames * from);
    const qsizetype last = static_cast<qsizetype>(frames * to);
    int crossings = 0;
    for (qsizetype i = first + 1; i < last; ++i) {
        if (s[(i - 1) * channels + channel] < 0 && s[i * channels + channel] >= 0) {
            ++crossings;
        }
    }
    return crossings * static_cast<double>(rate) / static_cast<double>(last - first);
}

// Converts data in pieces of the given size; the first piece carries the
// start flag, the last the end flag.
QByteArray ConvertInPieces(CodecStream& stream, const QByteArray& data, int piece,
                           bool* failed = nullptr) {
    QByteArray out;
    for (qsizetype at = 0; at < data.size(); at += piece) {
        const int n = static_cast<int>(std::min<qsizetype>(piece, data.size() - at));
        unsigned flags = CodecStream::kBlockAlign;
        if (at == 0) {
            flags |= CodecStream::kStart;
        }
        if (at + n >= data.size()) {
            flags |= CodecStream::kEnd;
        }
        if (stream.Convert(data.constData() + at, n, flags, out) != codec::kResultOk &&
            failed != nullptr) {
            *failed = true;
        }
    }
    return out;
}

std::optional<WaveFormat> Find(const WaveFormat& source, uint16_t tag, uint32_t avg = 0) {
    for (const WaveFormat& f : codec::EnumerateFormats(source)) {
        if (f.formatTag == tag && (avg == 0 || f.avgBytesPerSec == avg)) {
            return f;
        }
    }
    return std::nullopt;
}

// Lengths of the MPEG audio frames in data; nothing when the data is not a
// chain of whole frames.
std::optional<std::vector<int>> Mp3FrameLengths(const QByteArray& data) {
    static const int kMpeg1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const int kMpeg2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static const int kRates[3][3] = {
        {44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};
    std::vector<int> lengths;
    const auto* p = reinterpret_cast<const uint8_t*>(data.constData());
    qsizetype at = 0;
    while (at < data.size()) {
        if (data.size() - at < 4 || p[at] != 0xFF || (p[at + 1] & 0xE0) != 0xE0) {
            return std::nullopt;
        }
        const int version = (p[at + 1] >> 3) & 3;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
        const int rateIndex = (p[at + 2] >> 2) & 3;
        const int bitIndex = p[at + 2] >> 4;
        if (version == 1 || rateIndex == 3 || bitIndex == 0 || bitIndex == 15) {
            return std::nullopt;
        }
        const int row = version == 3 ? 0 : (version == 2 ? 1 : 2);
        const int rate = kRates[row][rateIndex];
        const int kbps = version == 3 ? kMpeg1[bitIndex] : kMpeg2[bitIndex];
        const int perFrame = version == 3 ? 144000 : 72000;
        const int length = perFrame * kbps / rate + ((p[at + 2] >> 1) & 1);
        lengths.push_back(length);
        at += length;
    }
    if (at != data.size()) {
        return std::nullopt;
    }
    return lengths;
}

struct RoundTripCase {
    uint16_t tag;
    uint16_t channels;
    uint32_t rate;
    uint32_t avgBytesPerSec;  // 0: the first format of the tag
};

class CodecRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

// PCM -> codec -> PCM keeps the tone, its length and the byte rate the
// format record announces.
TEST_P(CodecRoundTrip, ToneSurvivesWithLengthAndByteRate) {
    const RoundTripCase c = GetParam();
    const WaveFormat pcm = WaveFormat::Pcm(c.channels, c.rate, 16);
    const auto format = Find(pcm, c.tag, c.avgBytesPerSec);
    ASSERT_TRUE(format.has_value());
    const double seconds = 2.0;
    const QByteArray input = Tone(440.0, c.rate, c.channels, seconds);

    int result = -1;
    auto encoder = CodecStream::Open(pcm, *format, &result);
    ASSERT_NE(encoder, nullptr) << result;
    bool failed = false;
    // 9001 bytes: pieces that end inside samples and blocks.
    const QByteArray coded = ConvertInPieces(*encoder, input, 9001, &failed);
    EXPECT_FALSE(failed);
    EXPECT_EQ(encoder->KeptBytes(), 0);
    if (format->blockAlign > 1) {
        EXPECT_EQ(coded.size() % format->blockAlign, 0);
    }
    if (c.tag == codec::kTagMpegLayer3) {
        const auto frames = Mp3FrameLengths(coded);
        ASSERT_TRUE(frames.has_value()) << "output is not a chain of whole MP3 frames";
    }
    const double codedRate = coded.size() / seconds;
    EXPECT_NEAR(codedRate, format->avgBytesPerSec, format->avgBytesPerSec * 0.1 + 100);

    auto decoder = CodecStream::Open(*format, pcm, &result);
    ASSERT_NE(decoder, nullptr) << result;
    const QByteArray decoded = ConvertInPieces(*decoder, coded, 777, &failed);
    EXPECT_FALSE(failed);
    // Nothing lost: at least the input comes back; at most a block or an
    // encoder's delay and padding more.
    EXPECT_GE(decoded.size(), input.size());
    EXPECT_LE(decoded.size(), input.size() + 4000 * c.channels);
    for (int ch = 0; ch < c.channels; ++ch) {
        EXPECT_NEAR(ToneFrequency(decoded, c.rate, c.channels, ch), 440.0, 8.0) << "channel " << ch;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryTag, CodecRoundTrip,
                         ::testing::Values(RoundTripCase{codec::kTagMsAdpcm, 2, 22050, 0},
                                           RoundTripCase{codec::kTagMsAdpcm, 1, 8000, 0},
                                           RoundTripCase{codec::kTagALaw, 1, 8000, 0},
                                           RoundTripCase{codec::kTagALaw, 2, 44100, 0},
                                           RoundTripCase{codec::kTagMuLaw, 1, 11025, 0},
                                           RoundTripCase{codec::kTagImaAdpcm, 2, 44100, 0},
                                           RoundTripCase{codec::kTagImaAdpcm, 1, 11025, 0},
                                           RoundTripCase{codec::kTagGsm610, 1, 8000, 0},
                                           RoundTripCase{codec::kTagMpegLayer3, 2, 44100, 16000},
                                           RoundTripCase{codec::kTagMpegLayer3, 1, 16000, 4000},
                                           RoundTripCase{codec::kTagMpegLayer3, 1, 8000, 1000},
                                           RoundTripCase{codec::kTagMpegLayer3, 2, 48000, 40000}));

TEST(CodecManager, EnumerationKeepsTheSourceChannelsAndRate) {
    const WaveFormat stereo = WaveFormat::Pcm(2, 44100, 16);
    const auto formats = codec::EnumerateFormats(stereo);
    ASSERT_FALSE(formats.empty());
    std::vector<uint16_t> tags;
    for (const WaveFormat& f : formats) {
        EXPECT_EQ(f.channels, 2);
        EXPECT_EQ(f.samplesPerSec, 44100u);
        EXPECT_NE(f.formatTag, codec::kTagPcm);
        tags.push_back(f.formatTag);
    }
    for (uint16_t tag : {codec::kTagMsAdpcm, codec::kTagALaw, codec::kTagMuLaw, codec::kTagImaAdpcm,
                         codec::kTagMpegLayer3}) {
        EXPECT_NE(std::find(tags.begin(), tags.end(), tag), tags.end()) << tag;
    }
    // GSM is an 8 kHz mono coder.
    EXPECT_EQ(std::find(tags.begin(), tags.end(), codec::kTagGsm610), tags.end());
    const auto mono8k = codec::EnumerateFormats(WaveFormat::Pcm(1, 8000, 8));
    EXPECT_TRUE(std::any_of(mono8k.begin(), mono8k.end(),
                            [](const WaveFormat& f) { return f.formatTag == codec::kTagGsm610; }));

    // Not a PCM source, or a width we do not take: nothing.
    WaveFormat alaw = stereo;
    alaw.formatTag = codec::kTagALaw;
    EXPECT_TRUE(codec::EnumerateFormats(alaw).empty());
    EXPECT_TRUE(codec::EnumerateFormats(WaveFormat::Pcm(2, 44100, 24)).empty());
}

TEST(CodecManager, Mp3FormatsUseTheListedBitRatesOfTheirMpegVersionAndAllOpen) {
    const int* listBegin = std::begin(codec::kMp3BitRates);
    const int* listEnd = std::end(codec::kMp3BitRates);
    for (uint32_t rate : {8000u, 11025u, 12000u, 16000u, 22050u, 24000u, 32000u, 44100u, 48000u}) {
        for (uint16_t channels : {1, 2}) {
            const WaveFormat pcm = WaveFormat::Pcm(channels, rate, 16);
            int count = 0;
            for (const WaveFormat& f : codec::EnumerateFormats(pcm)) {
                if (f.formatTag != codec::kTagMpegLayer3) {
                    continue;
                }
                ++count;
                const int kbps = static_cast<int>(f.avgBytesPerSec * 8 / 1000);
                EXPECT_NE(std::find(listBegin, listEnd, kbps), listEnd) << kbps;
                EXPECT_EQ(f.avgBytesPerSec * 8 % 1000, 0u);
                EXPECT_TRUE(codec::CanOpenStream(pcm, f))
                    << rate << " Hz " << channels << " ch " << kbps << " kbit/s";
                if (rate >= 32000) {
                    EXPECT_GE(kbps, 32);
                } else {
                    EXPECT_LE(kbps, 160);
                }
            }
            EXPECT_GE(count, 10) << rate;
        }
    }
    // No MP3 at a rate outside the three MPEG versions.
    const auto odd = codec::EnumerateFormats(WaveFormat::Pcm(2, 44000, 16));
    EXPECT_TRUE(std::none_of(odd.begin(), odd.end(), [](const WaveFormat& f) {
        return f.formatTag == codec::kTagMpegLayer3;
    }));
}

TEST(CodecManager, ExtraBytesDescribeTheCodedBlocks) {
    const WaveFormat pcm = WaveFormat::Pcm(2, 22050, 16);
    const auto ima = Find(pcm, codec::kTagImaAdpcm);
    ASSERT_TRUE(ima.has_value());
    ASSERT_EQ(ima->extra.size(), 2);
    const int imaSamples = qFromLittleEndian<uint16_t>(ima->extra.constData());
    EXPECT_EQ(imaSamples, (ima->blockAlign - 8) * 8 / 8 + 1);

    const auto ms = Find(pcm, codec::kTagMsAdpcm);
    ASSERT_TRUE(ms.has_value());
    ASSERT_EQ(ms->extra.size(), 32);
    const int msSamples = qFromLittleEndian<uint16_t>(ms->extra.constData());
    EXPECT_EQ(qFromLittleEndian<uint16_t>(ms->extra.constData() + 2), 7);
    EXPECT_EQ(qFromLittleEndian<int16_t>(ms->extra.constData() + 8), 512);
    EXPECT_EQ(qFromLittleEndian<int16_t>(ms->extra.constData() + 10), -256);

    // The announced samples per block fill exactly one block of the codec.
    for (const auto& [format, samples] : {std::pair{*ima, imaSamples}, std::pair{*ms, msSamples}}) {
        auto stream = CodecStream::Open(pcm, format);
        ASSERT_NE(stream, nullptr);
        QByteArray out;
        const QByteArray block = Tone(1000, 22050, 2, 1.0).left(samples * 4);
        EXPECT_EQ(stream->Convert(block.constData(), static_cast<int>(block.size()),
                                  CodecStream::kBlockAlign | CodecStream::kStart, out),
                  codec::kResultOk);
        EXPECT_EQ(out.size(), format.blockAlign) << format.formatTag;
        EXPECT_EQ(stream->KeptBytes(), 0);
    }

    const auto gsm = Find(WaveFormat::Pcm(1, 8000, 16), codec::kTagGsm610);
    ASSERT_TRUE(gsm.has_value());
    EXPECT_EQ(gsm->blockAlign, 65);
    EXPECT_EQ(gsm->avgBytesPerSec, 1625u);
    EXPECT_EQ(qFromLittleEndian<uint16_t>(gsm->extra.constData()), 320);

    const auto mp3 = Find(WaveFormat::Pcm(2, 44100, 16), codec::kTagMpegLayer3, 16000);
    ASSERT_TRUE(mp3.has_value());
    ASSERT_EQ(mp3->extra.size(), 12);
    EXPECT_EQ(qFromLittleEndian<uint16_t>(mp3->extra.constData()), 1);
    EXPECT_EQ(qFromLittleEndian<uint16_t>(mp3->extra.constData() + 6), 417);
    const auto mp3Low = Find(WaveFormat::Pcm(1, 16000, 16), codec::kTagMpegLayer3, 4000);
    ASSERT_TRUE(mp3Low.has_value());
    EXPECT_EQ(qFromLittleEndian<uint16_t>(mp3Low->extra.constData() + 6), 144);

    const auto alaw = Find(pcm, codec::kTagALaw);
    ASSERT_TRUE(alaw.has_value());
    EXPECT_TRUE(alaw->extra.isEmpty());
    EXPECT_EQ(alaw->blockAlign, 2);
    EXPECT_EQ(alaw->bitsPerSample, 8);

    // Every record fits the largest format size, and the largest is used.
    int largest = 0;
    for (uint32_t rate : {8000u, 22050u, 44100u}) {
        for (uint16_t ch : {1, 2}) {
            for (const WaveFormat& f : codec::EnumerateFormats(WaveFormat::Pcm(ch, rate, 16))) {
                EXPECT_LE(f.SerializedSize(), codec::MaxFormatSize());
                largest = std::max(largest, f.SerializedSize());
            }
        }
    }
    EXPECT_EQ(largest, codec::MaxFormatSize());
}

TEST(CodecManager, TagsNamesDescriptionsAndSuggestions) {
    const auto tags = codec::SupportedTags();
    for (uint16_t tag : {codec::kTagPcm, codec::kTagMsAdpcm, codec::kTagALaw, codec::kTagMuLaw,
                         codec::kTagImaAdpcm, codec::kTagGsm610, codec::kTagMpegLayer3}) {
        EXPECT_NE(std::find(tags.begin(), tags.end(), tag), tags.end()) << tag;
        const auto details = codec::TagDetails(tag);
        ASSERT_TRUE(details.has_value());
        EXPECT_TRUE(details->possible);
        EXPECT_FALSE(details->name.empty());
    }
    EXPECT_EQ(codec::TagDetails(codec::kTagMpegLayer3)->name, "MPEG Layer-3");
    EXPECT_FALSE(codec::TagDetails(0x1234).has_value());

    const auto mp3 = Find(WaveFormat::Pcm(2, 44100, 16), codec::kTagMpegLayer3, 16000);
    ASSERT_TRUE(mp3.has_value());
    EXPECT_EQ(codec::FormatDescription(*mp3), "128 kbit/s, 44.100 kHz, Stereo");
    const auto ima = Find(WaveFormat::Pcm(1, 8000, 16), codec::kTagImaAdpcm);
    ASSERT_TRUE(ima.has_value());
    EXPECT_EQ(codec::FormatDescription(*ima),
              "8.000 kHz, 4 Bit, Mono, " + std::to_string(ima->avgBytesPerSec) + " bytes/s");

    // A partial record is completed to the one the manager writes.
    WaveFormat wanted;
    wanted.formatTag = codec::kTagMpegLayer3;
    wanted.channels = 1;
    wanted.samplesPerSec = 22050;
    wanted.avgBytesPerSec = 8000;
    wanted.blockAlign = 0;
    wanted.bitsPerSample = 0;
    const auto suggested = codec::SuggestFormat(wanted);
    ASSERT_TRUE(suggested.has_value());
    EXPECT_EQ(suggested->extra.size(), 12);
    EXPECT_EQ(suggested->avgBytesPerSec, 8000u);
    wanted.avgBytesPerSec = 15000;  // 120 kbit/s is no MPEG bit rate
    EXPECT_FALSE(codec::SuggestFormat(wanted).has_value());
}

TEST(CodecStreamTest, RefusesFormatsItCannotConvert) {
    const WaveFormat pcm = WaveFormat::Pcm(2, 44100, 16);
    auto mp3 = *Find(pcm, codec::kTagMpegLayer3, 16000);
    int result = 0;
    // Channels or rate differ.
    EXPECT_EQ(CodecStream::Open(WaveFormat::Pcm(1, 44100, 16), mp3, &result), nullptr);
    EXPECT_EQ(result, codec::kResultNotPossible);
    EXPECT_EQ(CodecStream::Open(WaveFormat::Pcm(2, 22050, 16), mp3), nullptr);
    // A record the encoder would not honour.
    WaveFormat odd = mp3;
    odd.avgBytesPerSec = 15000;
    EXPECT_FALSE(codec::CanOpenStream(pcm, odd));
    WaveFormat unknown = mp3;
    unknown.formatTag = 0x1234;
    EXPECT_FALSE(codec::CanOpenStream(pcm, unknown));
    EXPECT_FALSE(codec::CanOpenStream(unknown, pcm));
    // Codec to codec.
    EXPECT_FALSE(codec::CanOpenStream(mp3, *Find(pcm, codec::kTagALaw)));
    EXPECT_TRUE(codec::CanOpenStream(pcm, mp3));
    EXPECT_TRUE(codec::CanOpenStream(mp3, pcm));
}

TEST(CodecStreamTest, StartFlagDropsWhatAnEarlierRunLeft) {
    const WaveFormat pcm = WaveFormat::Pcm(1, 8000, 16);
    const WaveFormat ima = *Find(pcm, codec::kTagImaAdpcm);
    const QByteArray tone = Tone(300, 8000, 1, 1.0);
    auto fresh = CodecStream::Open(pcm, ima);
    auto reused = CodecStream::Open(pcm, ima);
    ASSERT_NE(fresh, nullptr);
    ASSERT_NE(reused, nullptr);
    QByteArray ignored;
    // Half a block stays behind in the reused stream.
    reused->Convert(tone.constData(), 300, CodecStream::kBlockAlign | CodecStream::kStart, ignored);
    EXPECT_EQ(reused->KeptBytes(), 300);
    QByteArray a;
    QByteArray b;
    fresh->Convert(tone.constData(), static_cast<int>(tone.size()),
                   CodecStream::kBlockAlign | CodecStream::kStart, a);
    reused->Convert(tone.constData(), static_cast<int>(tone.size()),
                    CodecStream::kBlockAlign | CodecStream::kStart, b);
    EXPECT_EQ(a, b);
    EXPECT_FALSE(a.isEmpty());

    // Without block alignment the part block is padded and written now.
    auto unaligned = CodecStream::Open(pcm, ima);
    QByteArray c;
    unaligned->Convert(tone.constData(), 300, CodecStream::kStart, c);
    EXPECT_EQ(c.size(), ima.blockAlign);
    EXPECT_EQ(unaligned->KeptBytes(), 0);
}

TEST(CodecStreamTest, EightBitPcmAndPcmWidthChanges) {
    const WaveFormat pcm8 = WaveFormat::Pcm(1, 8000, 8);
    const WaveFormat pcm16 = WaveFormat::Pcm(1, 8000, 16);
    QByteArray eight;
    for (int i = 0; i < 8000; ++i) {
        eight.append(static_cast<char>(
            128 + std::lround(100 * std::sin(2 * std::numbers::pi * 500.0 * i / 8000))));
    }
    auto widen = CodecStream::Open(pcm8, pcm16);
    ASSERT_NE(widen, nullptr);
    QByteArray sixteen;
    widen->Convert(eight.constData(), static_cast<int>(eight.size()), CodecStream::kStart, sixteen);
    ASSERT_EQ(sixteen.size(), 16000);
    EXPECT_EQ(reinterpret_cast<const int16_t*>(sixteen.constData())[0], 0);
    EXPECT_NEAR(ToneFrequency(sixteen, 8000, 1), 500.0, 5.0);

    // 8-bit source into A-law and back to 8 bits.
    const WaveFormat alaw = *Find(pcm8, codec::kTagALaw);
    auto enc = CodecStream::Open(pcm8, alaw);
    auto dec = CodecStream::Open(alaw, pcm8);
    ASSERT_NE(enc, nullptr);
    ASSERT_NE(dec, nullptr);
    const QByteArray coded = ConvertInPieces(*enc, eight, 1000);
    EXPECT_EQ(coded.size(), eight.size());
    const QByteArray back = ConvertInPieces(*dec, coded, 1000);
    ASSERT_EQ(back.size(), eight.size());
    int worst = 0;
    for (qsizetype i = 0; i < back.size(); ++i) {
        worst = std::max(worst,
                         std::abs(static_cast<uint8_t>(back[i]) - static_cast<uint8_t>(eight[i])));
    }
    EXPECT_LE(worst, 2);
}

TEST(CodecStreamTest, DamagedMp3DecodesAroundTheDamage) {
    const WaveFormat pcm = WaveFormat::Pcm(2, 44100, 16);
    const WaveFormat mp3 = *Find(pcm, codec::kTagMpegLayer3, 16000);
    auto enc = CodecStream::Open(pcm, mp3);
    QByteArray coded = ConvertInPieces(*enc, Tone(440, 44100, 2, 3.0), 35280);
    // Garbage over a stretch in the middle of the stream.
    for (qsizetype i = coded.size() / 3; i < coded.size() / 3 + 3000; ++i) {
        coded[i] = static_cast<char>((i * 7919) & 0xFF);
    }
    auto dec = CodecStream::Open(mp3, pcm);
    const QByteArray decoded = ConvertInPieces(*dec, coded, 4000);
    EXPECT_GT(decoded.size(), 44100 * 4 * 2);
    EXPECT_NEAR(ToneFrequency(decoded, 44100, 2, 0, 0.7, 0.95), 440.0, 8.0);
    // Pure garbage gives nothing, and no failure.
    auto dec2 = CodecStream::Open(mp3, pcm);
    QByteArray noise(20000, '\0');
    for (int i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<char>((i * 2654435761u) >> 24);
    }
    QByteArray out;
    EXPECT_EQ(dec2->Convert(noise.constData(), static_cast<int>(noise.size()),
                            CodecStream::kStart | CodecStream::kEnd, out),
              codec::kResultOk);
}

}  // namespace

namespace {

bool Mapped(const char* library) {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(library);
}

}  // namespace

// The codec libraries come with the codec module on the first compressed
// format, not with the program or a PCM conversion. A fresh process of the
// test program tells (exit code: 1 loaded too early, 2 nothing loaded, 4 the
// module failed).
TEST(CodecEngineTest, LoadsCodecLibrariesOnFirstUse) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            int failed = 0;
            auto pcm =
                CodecStream::Open(WaveFormat::Pcm(2, 22050, 16), WaveFormat::Pcm(2, 22050, 8));
            QByteArray out;
            if (pcm == nullptr || pcm->Convert("\x01\x02\x03\x04", 4, 0, out) != codec::kResultOk ||
                Mapped("libavcodec") || Mapped(codec::kCodecModuleFile)) {
                failed |= 1;
            }
            if (!codec::TagPossible(codec::kTagMpegLayer3) || !Mapped("libavcodec") ||
                !Mapped(codec::kCodecModuleFile)) {
                failed |= 2;
            }
            if (!codec::EngineError().isEmpty()) {
                failed |= 4;
            }
            std::_Exit(failed);
        },
        testing::ExitedWithCode(0), "");
}
