#include "audio/sstream_wave_in.h"

#include <QString>
#include <algorithm>
#include <vector>

#include "audio/log.h"
#include "platform/codec_engine.h"
#include "platform/codec_manager.h"
#include "platform/message_box.h"
#include "platform/post_message.h"
#include "platform/window_messages.h"

SStreamWaveIn::SStreamWaveIn(QObject* owner, const std::string& path, const WaveFormat& fileFormat,
                             const std::string& deviceName, bool mp3EnableTag)
    : SWaveIn(owner, path, fileFormat, deviceName, ThreadStart::kByDerivedClass, mp3EnableTag),
      fileFormat_(recFile_->Format()),
      captureFormat_(CaptureFormat(fileFormat_)) {
    ResumeThread();
}

SStreamWaveIn::~SStreamWaveIn() {
    Stop();
    StopThread();
}

WaveFormat SStreamWaveIn::CaptureFormat(const WaveFormat& fileFormat) {
    if (fileFormat.formatTag == WaveFormat::kTagPcm) {
        return fileFormat;
    }
    return WaveFormat::Pcm(fileFormat.channels, fileFormat.samplesPerSec, 16);
}

bool SStreamWaveIn::IsPcmFile() const {
    return fileFormat_.formatTag == WaveFormat::kTagPcm;
}

bool SStreamWaveIn::Start() {
    if (device_ && !stopped_) {
        return true;  // recording already: nothing pending is touched
    }
    firstConversion_ = true;
    if (IsPcmFile()) {
        return OpenDevice(nullptr);
    }
    if (!stream_) {
        int result = codec::kResultOk;
        auto stream = codec::CodecStream::Open(captureFormat_, fileFormat_, &result);
        if (!stream) {
            // A codec module that cannot be loaded says why.
            const QString missing = codec::EngineError();
            SetStartFailure("the codec cannot convert to the file's format (" +
                            std::to_string(result) + ")" +
                            (missing.isEmpty() ? std::string() : ": " + missing.toStdString()));
            Tell(QString::asprintf("%d", result), QStringLiteral("foo"));
            if (device_) {
                CloseDevice();
            }
            return false;
        }
        std::lock_guard lock(CriticalSection());
        stream_ = std::move(stream);
    }
    {
        std::lock_guard lock(CriticalSection());
        for (Segment& segment : segments_) {
            segment = Segment{};
        }
    }
    return OpenDevice(&captureFormat_);
}

bool SStreamWaveIn::ProcessBuffer(bool explicitHeader, WaveHeader* header, bool writeData) {
    if (IsPcmFile() || !stream_) {
        return SWaveIn::ProcessBuffer(explicitHeader, header, writeData);
    }
    if (!device_) {
        return false;
    }
    WaveHeader* buffer = ring_.Pick(explicitHeader, header);
    if (buffer == nullptr) {
        return false;
    }
    if (buffer->bufferLength != 0) {
        lastBuffer_.Keep(buffer->data, buffer->bytesRecorded);
    }
    const int slot = static_cast<int>(buffer->user % BufferRing::kCount);
    Segment& segment = segments_[static_cast<size_t>(slot)];
    if (segment.pending) {
        WriteToFile(segment.converted.constData(), segment.converted.size());
        segment.converted.clear();
        segment.pending = false;
    }
    if (buffer->bytesRecorded > 0) {
        unsigned flags = codec::CodecStream::kBlockAlign;
        if (firstConversion_) {
            flags |= codec::CodecStream::kStart;
            firstConversion_ = false;
        }
        const int result = stream_->Convert(buffer->data, static_cast<int>(buffer->bytesRecorded),
                                            flags, segment.converted);
        if (result != codec::kResultOk) {
            LogWarning("acmstreamconvert problem seg=%d, res=%d", slot, result);
        }
        segment.pending = true;
        segment.sequence = ++conversions_;
        framesConverted_ +=
            buffer->bytesRecorded / std::max<uint32_t>(1, captureFormat_.blockAlign);
    }
    buffer->bytesRecorded = 0;
    buffer->ClearDone();
    if (stopped_) {
        return true;
    }
    const int added = device_->AddBuffer(buffer);
    if (added != kWaveOk) {
        LogWarning("AddBuffer problem seg=%d,res=%ld", slot, static_cast<long>(added));
        ring_.Drop(buffer);
        dropped_.fetch_add(1);
        return false;
    }
    PostMessage(owner_, WM_AUDIO_PROGRESS);
    return true;
}

void SStreamWaveIn::WritePendingInOrder() {
    std::vector<Segment*> pending;
    for (Segment& segment : segments_) {
        if (segment.pending) {
            pending.push_back(&segment);
        }
    }
    std::sort(pending.begin(), pending.end(),
              [](const Segment* a, const Segment* b) { return a->sequence < b->sequence; });
    for (Segment* segment : pending) {
        WriteToFile(segment->converted.constData(), segment->converted.size());
        segment->converted.clear();
        segment->pending = false;
    }
}

bool SStreamWaveIn::Stop() {
    // From now on the worker queues no buffer again: the device runs dry
    // and the stop below does not wait behind a device that delivers
    // without pause.
    stopped_ = true;
    if (!SWaveIn::Stop()) {
        return false;  // the codec stream stays open for the next Start()
    }
    std::lock_guard lock(CriticalSection());
    if (stream_) {
        // What the last ring turn converted, then what the codec still
        // holds: the part block and an encoder's final frames.
        WritePendingInOrder();
        QByteArray tail;
        if (!firstConversion_) {
            const int result = stream_->Convert(nullptr, 0, codec::CodecStream::kEnd, tail);
            if (result != codec::kResultOk) {
                LogWarning("acmstreamconvert problem seg=%d, res=%d", -1, result);
            }
        }
        WriteToFile(tail.constData(), tail.size());
        stream_->Reset();
        stream_.reset();
    }
    return true;
}
