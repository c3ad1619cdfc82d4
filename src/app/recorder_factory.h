#pragma once

#include <memory>
#include <string>

#include "platform/wave_format.h"

class QObject;
class SRecord;
struct AudioFormatSettings;

// The recorder for the default recording format: which kind, the format of
// its file and the format it captures in.
struct RecorderPlan {
    enum Kind { kStream, kVorbis };  // SStreamWaveIn (WAV, MP3) or SVorbisRecord
    Kind kind = kStream;
    WaveFormat fileFormat;
    WaveFormat captureFormat;
    bool mp3EnableTag = true;
};

// "DefaultAudioFormat" 0 WAV, 1 MP3, 2 Vorbis; any other value WAV. A stored
// compressed format that lacks its codec's extra bytes is completed as the
// format pages would.
RecorderPlan PlanRecorder(const AudioFormatSettings& formats);
std::unique_ptr<SRecord> MakeRecorder(const RecorderPlan& plan, QObject* owner,
                                      const std::string& path, const std::string& device);
