#include "audio/sstream_wave_out.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include "pipe_reader.h"
#include "platform/codec_manager.h"
#include "support/alsa_test_devices.h"
#include "support/message_box_recorder.h"
#include "tone_files.h"
#include "wave_test_files.h"

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

WaveFormat CodecFormat(uint16_t tag, uint16_t channels, uint32_t rate, uint32_t kbps = 0) {
    WaveFormat wanted;
    wanted.formatTag = tag;
    wanted.channels = channels;
    wanted.samplesPerSec = rate;
    wanted.avgBytesPerSec = kbps * 125;
    return codec::SuggestFormat(wanted).value_or(WaveFormat{});
}

QByteArray Encode(const WaveFormat& format, const QByteArray& pcm) {
    auto stream = codec::CodecStream::Open(
        WaveFormat::Pcm(format.channels, format.samplesPerSec, 16), format);
    QByteArray out;
    if (stream) {
        stream->Convert(pcm.constData(), static_cast<int>(pcm.size()),
                        codec::CodecStream::kStart | codec::CodecStream::kEnd, out);
    }
    return out;
}

// A WAVE file with the whole format record, extra bytes included.
bool WriteCodecWave(const QString& path, const WaveFormat& format, const QByteArray& data) {
    QByteArray bytes;
    auto put32 = [&](uint32_t v) {
        char b[4];
        qToLittleEndian<uint32_t>(v, b);
        bytes.append(b, 4);
    };
    const QByteArray record = format.Serialize();
    bytes.append("RIFF");
    put32(static_cast<uint32_t>(4 + 8 + record.size() + (record.size() & 1) + 8 + data.size() +
                                (data.size() & 1)));
    bytes.append("WAVEfmt ");
    put32(static_cast<uint32_t>(record.size()));
    bytes.append(record);
    if (record.size() & 1) {
        bytes.append('\0');
    }
    bytes.append("data");
    put32(static_cast<uint32_t>(data.size()));
    bytes.append(data);
    if (data.size() & 1) {
        bytes.append('\0');
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

class SStreamWaveOutTest : public ::testing::Test {
  protected:
    QString PathOf(const char* name) const { return dir.filePath(name); }

    QString MakeMp3(const char* name, const QByteArray& frames) const {
        QFile file(PathOf(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(frames);
        return PathOf(name);
    }

    AlsaTestDevices devices;
    QTemporaryDir dir;
    MessageBoxRecorder messages;
};

// An MP3 and an IMA ADPCM file play to their end: the device gets the whole
// tone; the player then idles, its pump retrying every 100 ms without
// spinning a core, and progress messages stop.
TEST_F(SStreamWaveOutTest, CompressedFilesPlayToTheEndThenIdleRetrying) {
    struct Case {
        const char* name;
        WaveFormat format;
    };
    for (const Case& c : {Case{"tone.mp3", CodecFormat(codec::kTagMpegLayer3, 2, 44100, 128)},
                          Case{"tone.wav", CodecFormat(codec::kTagImaAdpcm, 2, 22050)}}) {
        SCOPED_TRACE(c.name);
        const uint32_t rate = c.format.samplesPerSec;
        const QByteArray tone = ToneSamples(800, rate, 2, 4.0);
        const QByteArray coded = Encode(c.format, tone);
        ASSERT_FALSE(coded.isEmpty());
        const QString path =
            c.format.formatTag == codec::kTagMpegLayer3
                ? MakeMp3(c.name, coded)
                : (WriteCodecWave(PathOf(c.name), c.format, coded), PathOf(c.name));
        {
            ProgressCounter owner;
            SStreamWaveOut player(&owner, path.toStdString(), AlsaTestDevices::kPlayback);
            ASSERT_TRUE(player.IsOpen());
            EXPECT_EQ(player.GetFormatTag(), c.format.formatTag);
            EXPECT_EQ(player.OutputFormat(), WaveFormat::Pcm(2, rate, 16));
            ASSERT_TRUE(player.Play());
            EXPECT_TRUE(player.HasCodecStream());
            ASSERT_TRUE(
                WaitUntil([&] { return player.GetPosition() >= player.GetLength(); }, 20000))
                << player.GetPosition() << " of " << player.GetLength() << " retries "
                << player.Retries() << " output " << devices.PlaybackOutput().size();
            // Let the last buffers come back, then watch the idle player.
            WaitUntil([] { return false; }, 300);
            const int retries = player.Retries();
            const double cpu = CpuSeconds();
            WaitUntil([] { return false; }, 1000);
            EXPECT_LT(CpuSeconds() - cpu, 0.3) << "idle, not spinning";
            EXPECT_GE(player.Retries() - retries, 5);
            EXPECT_LE(player.Retries() - retries, 12);
            EXPECT_TRUE(player.IsPlaying());
            EXPECT_TRUE(player.Stop());
            EXPECT_FALSE(player.HasCodecStream());
        }
        const QByteArray played = devices.PlaybackOutput();
        EXPECT_GE(played.size(), tone.size());
        EXPECT_LE(played.size(), tone.size() + 8 * 4608);
        EXPECT_NEAR(MeasuredFrequency(played, rate, 2, 0, 0.1, 0.9), 800.0, 5.0);
        EXPECT_NEAR(MeasuredFrequency(played, rate, 2, 1, 0.1, 0.9), 800.0, 5.0);
    }
    EXPECT_TRUE(messages.calls().empty());
}

TEST_F(SStreamWaveOutTest, StopThenPlayGoesOnFromTheHeardPosition) {
    const WaveFormat mp3 = CodecFormat(codec::kTagMpegLayer3, 1, 16000, 32);
    const QByteArray tone = ToneSamples(500, 16000, 1, 20.0);
    const QString path = MakeMp3("long.mp3", Encode(mp3, tone));
    PacedPipeReader reader(devices.Path("paced.fifo"));
    SStreamWaveOut player(nullptr, path.toStdString(), AlsaTestDevices::kPacedPlayback);
    ASSERT_TRUE(player.Play());
    ASSERT_TRUE(WaitUntil([&] { return player.GetPosition() > 0; }));
    ASSERT_TRUE(player.Stop());
    const int64_t heard = player.GetPosition();
    EXPECT_GT(heard, 0);
    EXPECT_LT(heard, player.GetLength());
    ASSERT_TRUE(WaitUntil([&] { return reader.Sessions().size() == 1; }));
    ASSERT_TRUE(player.Play());
    ASSERT_TRUE(WaitUntil([&] { return player.GetPosition() >= player.GetLength(); }, 20000));
    player.Stop();
    ASSERT_TRUE(WaitUntil([&] { return reader.Sessions().size() == 2; }));
    const auto sessions = reader.Sessions();
    // The second session starts at the frame after the heard chunk: it
    // holds the rest, not the whole file again. How much was heard before
    // the stop depends on the machine's speed (at least the first chunk);
    // the decoder may give one frame of 1152 samples more at the restart.
    const int64_t whole = tone.size();
    const int64_t heardPcm = heard * whole / player.GetLength();
    EXPECT_GT(heardPcm, 0);
    EXPECT_LE(sessions[1].size(), whole - heardPcm + 2 * 1152 * 2);
    EXPECT_LT(sessions[1].size(), whole);
    EXPECT_GE(sessions[0].size() + sessions[1].size(), whole);
    EXPECT_NEAR(MeasuredFrequency(sessions[1], 16000, 1), 500.0, 5.0);
}

TEST_F(SStreamWaveOutTest, FileThatNoCodecReadsShowsTheMessageAndOpensNoDevice) {
    WaveFormat odd = CodecFormat(codec::kTagImaAdpcm, 1, 8000);
    odd.formatTag = 0x1234;
    ASSERT_TRUE(WriteCodecWave(PathOf("odd.wav"), odd, TestSignal(odd.blockAlign * 20)));
    SStreamWaveOut player(nullptr, PathOf("odd.wav").toStdString(), AlsaTestDevices::kPlayback);
    ASSERT_TRUE(player.IsOpen());
    EXPECT_FALSE(player.Play());
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_FALSE(player.HasCodecStream());
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].caption, "Plumora");
    EXPECT_TRUE(messages.calls()[0].text.startsWith("Cannot open this file for writing"));
    EXPECT_TRUE(messages.calls()[0].text.endsWith("(streamwaveout play)"));
    // Nothing held the device: a second player opens it.
    const QByteArray tone = ToneSamples(300, 8000, 1, 1.0);
    ASSERT_TRUE(WriteWaveFile(PathOf("plain.wav"), WaveFormat::Pcm(1, 8000, 16), tone));
    SStreamWaveOut plain(nullptr, PathOf("plain.wav").toStdString(), AlsaTestDevices::kPlayback);
    ASSERT_TRUE(plain.Play());
    EXPECT_FALSE(plain.HasCodecStream());
    ASSERT_TRUE(WaitUntil([&] { return plain.GetPosition() >= plain.GetLength(); }));
    plain.Stop();
    EXPECT_EQ(devices.PlaybackOutput(), tone);
}

TEST_F(SStreamWaveOutTest, DamagedMp3PlaysAroundTheDamageAndStopsCleanly) {
    const WaveFormat mp3 = CodecFormat(codec::kTagMpegLayer3, 2, 44100, 128);
    const QByteArray tone = ToneSamples(600, 44100, 2, 4.0);
    QByteArray coded = Encode(mp3, tone);
    for (qsizetype i = coded.size() / 3; i < coded.size() / 3 + 5000; ++i) {
        coded[i] = static_cast<char>((i * 2654435761u) >> 24);
    }
    const QString path = MakeMp3("damaged.mp3", coded);
    {
        SStreamWaveOut player(nullptr, path.toStdString(), AlsaTestDevices::kPlayback);
        ASSERT_TRUE(player.IsOpen());
        ASSERT_TRUE(player.Play());
        EXPECT_TRUE(WaitUntil([&] { return player.GetPosition() >= player.GetLength(); }, 20000));
        EXPECT_TRUE(player.Stop());
    }
    const QByteArray played = devices.PlaybackOutput();
    EXPECT_GT(played.size(), tone.size() / 2);
    EXPECT_NEAR(MeasuredFrequency(played, 44100, 2, 0, 0.05, 0.3), 600.0, 5.0);
    EXPECT_NEAR(MeasuredFrequency(played, 44100, 2, 0, 0.7, 0.95), 600.0, 5.0);
}

}  // namespace
