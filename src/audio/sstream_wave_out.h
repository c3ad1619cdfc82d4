#pragma once

#include <QByteArray>
#include <array>
#include <chrono>
#include <memory>
#include <string>

#include "audio/swave_out.h"
#include "platform/codec_stream.h"

// The player for WAVE and MP3 files. A PCM file plays exactly as SWaveOut.
// For any other format the player reads compressed chunks of a fifth of a
// second, converts each through a codec stream into one of five segments,
// and a pump copies converted segments into free output buffers in ring
// order. When the pump finds nothing to write (the codec is behind, or the
// file has ended) it retries after 100 ms on the worker; at the end of the
// file the player stays idle that way, without spinning, until stopped.
class SStreamWaveOut : public SWaveOut {
  public:
    static constexpr int kRetryMs = 100;

    SStreamWaveOut(QObject* owner, const std::string& path, const std::string& deviceName);
    ~SStreamWaveOut() override;

    void Run() override;
    // For a codec format: opens the codec stream, and on failure shows the
    // long message and leaves no device open.
    bool Play() override;
    bool Stop() override;
    bool ProcessBuffer(bool explicitHeader, WaveHeader* header) override;

    // The PCM played: the file's format when it is PCM, else 16-bit PCM
    // with its channels and rate.
    const WaveFormat& OutputFormat() const { return outputFormat_; }
    bool HasCodecStream() const { return stream_ != nullptr; }
    // Times the pump ran from the retry timer.
    int Retries() const { return retries_.load(); }

  private:
    struct Segment {
        bool done = false;
        QByteArray converted;
        // File data position after the chunk this segment holds.
        int64_t dataPosition = 0;
    };

    bool IsPcmFile();
    // Reads the next compressed chunk and converts it into the segment.
    void ReadAndConvert(int slot);
    // Writes converted segments into free buffers, refills segments; arms
    // the retry timer when nothing was written. Under the critical section.
    bool Pump();
    void ArmRetry();

    WaveFormat outputFormat_;
    std::unique_ptr<codec::CodecStream> stream_;
    std::array<Segment, BufferRing::kCount> segments_;
    int lastConverted_ = BufferRing::kCount - 1;
    int lastWritten_ = BufferRing::kCount - 1;
    bool streamEnded_ = false;
    bool retryArmed_ = false;
    std::chrono::steady_clock::time_point retryAt_;
    std::atomic<int> retries_{0};
};
