#include "audio/sstream_wave_out.h"

#include <QString>
#include <algorithm>
#include <cstring>

#include "audio/log.h"
#include "audio/wave_device_choice.h"
#include "platform/codec_manager.h"
#include "platform/message_box.h"
#include "platform/post_message.h"
#include "platform/window_messages.h"

namespace {

int Next(int slot) {
    return (slot + 1) % BufferRing::kCount;
}

}  // namespace

SStreamWaveOut::SStreamWaveOut(QObject* owner, const std::string& path,
                               const std::string& deviceName)
    : SWaveOut(owner, path, deviceName, ThreadStart::kByDerivedClass) {
    const WaveFormat& format = recFile_->Format();
    outputFormat_ = format.formatTag == WaveFormat::kTagPcm
                        ? format
                        : WaveFormat::Pcm(format.channels, format.samplesPerSec, 16);
    ResumeThread();
}

SStreamWaveOut::~SStreamWaveOut() {
    Stop();
    StopThread();
}

bool SStreamWaveOut::IsPcmFile() {
    return recFile_->Format().formatTag == WaveFormat::kTagPcm;
}

void SStreamWaveOut::Run() {
    for (;;) {
        int timeout = -1;
        {
            std::lock_guard lock(CriticalSection());
            if (retryArmed_) {
                const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                      retryAt_ - std::chrono::steady_clock::now())
                                      .count();
                timeout = static_cast<int>(std::max<int64_t>(0, left));
            }
        }
        const bool woken = event_.Wait(timeout);
        if (StopRequested()) {
            return;
        }
        std::lock_guard lock(CriticalSection());
        if (woken) {
            ProcessBuffer(false, nullptr);
        } else if (retryArmed_ && std::chrono::steady_clock::now() >= retryAt_) {
            retryArmed_ = false;
            if (device_ && !stopped_ && stream_) {
                retries_.fetch_add(1);
                Pump();
            }
        }
    }
}

void SStreamWaveOut::ArmRetry() {
    if (!retryArmed_) {
        retryArmed_ = true;
        retryAt_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(kRetryMs);
        Wake();  // the worker picks up the new time-out
    }
}

void SStreamWaveOut::ReadAndConvert(int slot) {
    Segment& segment = segments_[static_cast<size_t>(slot)];
    segment.converted.clear();
    const WaveFormat& format = recFile_->Format();
    const int64_t remaining = std::max<int64_t>(0, recFile_->GetLength() - recFile_->GetPosition());
    const int64_t chunk = std::min<int64_t>(ChunkBytes(format), remaining);
    QByteArray source(static_cast<qsizetype>(chunk), '\0');
    const int64_t read = chunk > 0 ? recFile_->ReadAudio(source.data(), chunk) : 0;
    segment.dataPosition = recFile_->GetPosition();
    if (!streamEnded_) {
        const bool last = read <= 0 || recFile_->GetPosition() >= recFile_->GetLength();
        unsigned flags = codec::CodecStream::kBlockAlign;
        if (last) {
            // The codec gives up its last frames; nothing follows.
            flags |= codec::CodecStream::kEnd;
            streamEnded_ = true;
        }
        const int result =
            stream_->Convert(source.constData(), static_cast<int>(std::max<int64_t>(0, read)),
                             flags, segment.converted);
        if (result != codec::kResultOk) {
            LogWarning("acmstreamconvert problem seg=%d, res=%d", slot, result);
        }
    }
    segment.done = true;
}

bool SStreamWaveOut::Pump() {
    bool wrote = false;
    int slot = Next(lastWritten_);
    for (int i = 0; i < BufferRing::kCount; ++i, slot = Next(slot)) {
        Segment& segment = segments_[static_cast<size_t>(slot)];
        WaveHeader& buffer = ring_[slot];
        // A buffer is free once the device handed it back and ProcessBuffer
        // took its position. One the device finished a moment ago still
        // holds its position: refilled now, the ring would take the buffers
        // out of the order they play in, and the heard position would run
        // backwards and never reach the end.
        if (!segment.done || !buffer.IsDone() || buffer.bufferLength != 0) {
            break;
        }
        if (segment.converted.size() > static_cast<qsizetype>(BufferRing::kBlockSize)) {
            LogWarning("Converted segment %d too large: %lld bytes", slot,
                       static_cast<long long>(segment.converted.size()));
            segment.converted.truncate(BufferRing::kBlockSize);
        }
        lastWritten_ = slot;
        // An empty segment is passed over and refilled; its buffer stays
        // free.
        segment.done = !segment.converted.isEmpty() && segment.done;
        if (!segment.converted.isEmpty()) {
            std::memcpy(buffer.data, segment.converted.constData(),
                        static_cast<size_t>(segment.converted.size()));
            buffer.bufferLength = static_cast<uint32_t>(segment.converted.size());
            buffer.user = static_cast<uintptr_t>(segment.dataPosition);
            segment.done = false;
            buffer.ClearDone();
            if (device_->AddBuffer(&buffer) != kWaveOk) {
                LogWarning("Cannot add wave output buffer %d", slot);
                buffer.bufferLength = 0;  // free again; its audio is lost
                buffer.flags.fetch_or(WaveHeader::kDone);
            } else {
                wrote = true;
            }
        }
        if (slot == lastConverted_) {
            break;
        }
    }
    // Refill, in ring order, the segments whose output has been copied to
    // the device; a segment still waiting for a free buffer ends the round.
    for (int i = 0; i < BufferRing::kCount; ++i) {
        const int s = Next(lastConverted_);
        if (segments_[static_cast<size_t>(s)].done) {
            break;
        }
        ReadAndConvert(s);
        lastConverted_ = s;
    }
    if (!wrote) {
        ArmRetry();
    }
    return wrote;
}

bool SStreamWaveOut::Play() {
    if (IsPcmFile()) {
        return SWaveOut::Play();
    }
    std::unique_lock lock(CriticalSection());
    if (device_) {
        return true;
    }
    const WaveDeviceChoice choice =
        ChooseWaveDevice(WaveDirection::kOutput, deviceName_, NameMatch::kIgnoreCase);
    deviceNumber_ = choice.number;
    device_ = WaveDevice::OpenMappedOrPlain(WaveDirection::kOutput, choice.name, outputFormat_,
                                            &DeviceCallback, this);
    if (!device_) {
        return false;
    }
    stopped_ = false;
    ring_.ResetIndex();
    for (int i = 0; i < BufferRing::kCount; ++i) {
        WaveHeader& header = ring_[i];
        header.bufferLength = BufferRing::kBlockSize;
        header.flags = 0;
        device_->Prepare(&header);
    }
    if (!stream_) {
        int result = codec::kResultOk;
        stream_ = codec::CodecStream::Open(recFile_->Format(), outputFormat_, &result);
        if (!stream_) {
            lock.unlock();
            MessageBox(QStringLiteral(
                           "Cannot open this file for writing using Audio Compression for "
                           "Windows.\nEither the currect required codec not present, or computer "
                           "is too slow for real-time conversion. \n\n(streamwaveout play)"),
                       QStringLiteral("Plumora"), MessageIcon::Error);
            Stop();
            return false;
        }
    }
    streamEnded_ = false;
    if (recFile_->GetPosition() >= recFile_->GetLength()) {
        recFile_->Seek(0);  // played to its end before: from the beginning
    }
    heardPosition_ = recFile_->GetPosition();
    for (int i = 0; i < BufferRing::kCount; ++i) {
        WaveHeader& header = ring_[i];
        header.flags.fetch_or(WaveHeader::kDone);  // free
        header.bufferLength = 0;
        header.user = static_cast<uintptr_t>(heardPosition_.load());
        segments_[static_cast<size_t>(i)] = Segment{};
        ReadAndConvert(i);
    }
    lastConverted_ = lastWritten_ = BufferRing::kCount - 1;
    retryArmed_ = false;
    Pump();
    return true;
}

bool SStreamWaveOut::ProcessBuffer(bool explicitHeader, WaveHeader* header) {
    if (!device_ || stopped_) {
        return false;
    }
    if (IsPcmFile()) {
        return SWaveOut::ProcessBuffer(explicitHeader, header);
    }
    // Every buffer the device has handed back, in ring order; free buffers
    // the pump left empty come round as well.
    for (int i = 0; i < BufferRing::kCount; ++i) {
        WaveHeader* buffer = ring_.Pick(explicitHeader && i == 0, header);
        if (buffer == nullptr) {
            break;
        }
        if (buffer->bufferLength != 0) {
            heardPosition_ = static_cast<int64_t>(buffer->user);
            lastBuffer_.Keep(buffer->data, buffer->bufferLength);
            buffer->bufferLength = 0;
        }
        if (explicitHeader) {
            break;
        }
    }
    PostMessage(owner_, WM_AUDIO_PROGRESS);
    return Pump();
}

bool SStreamWaveOut::Stop() {
    const bool ok = SWaveOut::Stop();
    std::lock_guard lock(CriticalSection());
    retryArmed_ = false;
    if (stream_) {
        stream_->Reset();
        stream_.reset();
    }
    for (Segment& segment : segments_) {
        segment = Segment{};
    }
    return ok;
}
