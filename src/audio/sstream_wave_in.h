#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include <QByteArray>

#include "audio/swave_in.h"
#include "platform/codec_stream.h"

// The recorder for WAVE and MP3 files. A PCM file records exactly as
// SWaveIn. For any other format it captures 16-bit PCM with the file's
// channels and rate and converts each captured buffer through a codec
// stream; the converted output of a buffer reaches the file when its ring
// slot comes round again, one ring turn later. Stop() writes what is still
// pending and the codec's final frames, so nothing captured is lost and an
// MP3 file ends on a whole frame.
class SStreamWaveIn : public SWaveIn {
  public:
    // mp3EnableTag: the "Mp3EnableTag" setting (see SWaveIn).
    SStreamWaveIn(QObject* owner, const std::string& path, const WaveFormat& fileFormat,
                  const std::string& deviceName, bool mp3EnableTag = true);
    ~SStreamWaveIn() override;

    // For a codec format: opens the codec stream (when none is open), and
    // on failure shows the result code and leaves no device open.
    bool Start() override;
    bool Stop() override;
    using SWaveIn::ProcessBuffer;
    bool ProcessBuffer(bool explicitHeader, WaveHeader* header, bool writeData) override;

    // The PCM captured for a file format: the format itself when it is PCM,
    // else 16-bit PCM with its channels and rate.
    static WaveFormat CaptureFormat(const WaveFormat& fileFormat);
    bool HasCodecStream() const { return stream_ != nullptr; }
    // Captured sample frames handed to the codec stream since construction.
    int64_t FramesConverted() const { return framesConverted_.load(); }

  private:
    // Converted output of one ring slot, waiting for the slot's next turn.
    struct Segment {
        bool pending = false;
        uint64_t sequence = 0;
        QByteArray converted;
    };

    bool IsPcmFile() const;
    void WritePendingInOrder();

    WaveFormat fileFormat_;
    WaveFormat captureFormat_;
    std::unique_ptr<codec::CodecStream> stream_;
    std::array<Segment, BufferRing::kCount> segments_;
    bool firstConversion_ = true;
    uint64_t conversions_ = 0;
    std::atomic<int64_t> framesConverted_{0};
};
