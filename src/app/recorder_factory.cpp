#include "app/recorder_factory.h"

#include "audio/sstream_wave_in.h"
#include "audio/svorbis_record.h"
#include "platform/codec_manager.h"
#include "prefs/audio_format_settings.h"

namespace {

// A stored compressed format may lack the codec's extra bytes (the built-in
// MP3 default has none until the Mp3 page is confirmed once); the recorder
// gets the full record the codec manager would write for it.
WaveFormat CompletedFormat(const WaveFormat& stored) {
    if (stored.formatTag == WaveFormat::kTagPcm ||
        codec::CanOpenStream(SStreamWaveIn::CaptureFormat(stored), stored)) {
        return stored;
    }
    return codec::SuggestFormat(stored).value_or(stored);
}

}  // namespace

RecorderPlan PlanRecorder(const AudioFormatSettings& formats) {
    RecorderPlan plan;
    switch (formats.defaultAudioFormat) {
        case kFormatMp3:
            plan.fileFormat = CompletedFormat(formats.mp3Format);
            plan.mp3EnableTag = formats.mp3EnableTag;
            break;
        case kFormatVorbis:
            plan.kind = RecorderPlan::kVorbis;
            plan.fileFormat.formatTag = 0;
            plan.fileFormat.channels = formats.vorStereo ? 2 : 1;
            plan.fileFormat.samplesPerSec = static_cast<uint32_t>(formats.vorSampleRate);
            plan.fileFormat.avgBytesPerSec = static_cast<uint32_t>(formats.vorBitRate / 8);
            plan.captureFormat = SVorbisRecord::CaptureFormat(plan.fileFormat);
            return plan;
        default:
            plan.fileFormat = CompletedFormat(formats.waveFormat);
            break;
    }
    plan.captureFormat = SStreamWaveIn::CaptureFormat(plan.fileFormat);
    return plan;
}

std::unique_ptr<SRecord> MakeRecorder(const RecorderPlan& plan, QObject* owner,
                                      const std::string& path, const std::string& device) {
    if (plan.kind == RecorderPlan::kVorbis) {
        return std::make_unique<SVorbisRecord>(owner, path, plan.fileFormat, device);
    }
    return std::make_unique<SStreamWaveIn>(owner, path, plan.fileFormat, device, plan.mp3EnableTag);
}
