#pragma once

#include <cstddef>
#include <string>

// The demodulated audio of the current SDR radio: interleaved stereo float
// frames (full scale 1.0) at kSdrAudioRate, handed out by the radio's receive
// thread to whoever listens, the "SDR receiver" capture device and the
// loudspeaker output. At most one radio is the source at a time.

inline constexpr int kSdrAudioRate = 48000;

class SdrAudioListener {
  public:
    virtual ~SdrAudioListener() = default;
    // On the receive thread; must not block.
    virtual void OnSdrAudio(const float* stereo, size_t frames) = 0;
    // The receiver was lost, or the radio went away: no more audio from the
    // source that was listened to.
    virtual void OnSdrLost(const std::string& reason) = 0;
};

namespace sdr_audio {

// The radio that delivers from now on. A source that is attached in place
// of another one makes the listeners lose the first.
void AttachSource(const void* source);
// The source goes away; its listeners hear OnSdrLost. Does nothing for a
// source that is not the attached one.
void DetachSource(const void* source);
bool SourceAttached();

// Called by the attached source only.
void Deliver(const void* source, const float* stereo, size_t frames);
void ReportLost(const void* source, const std::string& reason);

// A listener added while no source is attached hears nothing until one is.
void AddListener(SdrAudioListener* listener);
// After this returns the listener is never called again.
void RemoveListener(SdrAudioListener* listener);

}  // namespace sdr_audio
