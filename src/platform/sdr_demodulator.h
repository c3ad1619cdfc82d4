#pragma once

#include <atomic>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// Turns the complex baseband of an SDR receiver into 16-bit PCM: the station
// lies at an offset from the centre frequency; it is mixed down, filtered,
// decimated and demodulated (wide FM with the stereo pilot, or AM by its
// envelope), de-emphasised and resampled to the audio rate. One object per
// stream; Process and Reset are called from one thread with blocks of any
// size; ChannelSnrDb, Tuned and StereoLocked may be read from any thread.
enum class SdrModulation { Fm, Am };

struct SdrDemodulatorConfig {
    // Complex samples per second of the input.
    double inputRate = 1024000.0;
    // The station's frequency minus the centre frequency, in Hz; within
    // ±(inputRate / 2 - the channel's half width).
    double offsetHz = 250000.0;
    // Frames per second of the audio.
    uint32_t audioRate = 44100;
    // Two channels when true (left = right while no pilot is locked), one
    // otherwise.
    bool stereo = true;
    // FM de-emphasis time constant in microseconds: 50, 75, or 0 for none.
    int deemphasisUs = 50;
    SdrModulation modulation = SdrModulation::Fm;
};

class SdrDemodulator {
  public:
    static constexpr double kDefaultInputRate = 1024000.0;
    // A channel whose signal-to-noise ratio reaches this holds a station.
    static constexpr double kTunedSnrDb = 12.0;
    // What ChannelSnrDb reports before any input and for an empty channel.
    static constexpr double kNoSignalSnrDb = -30.0;

    explicit SdrDemodulator(const SdrDemodulatorConfig& config = {});
    ~SdrDemodulator();
    SdrDemodulator(const SdrDemodulator&) = delete;
    SdrDemodulator& operator=(const SdrDemodulator&) = delete;

    // Demodulates count complex samples and appends the audio they complete
    // to audio: interleaved left/right frames when stereo, else mono.
    void Process(const std::complex<float>* iq, size_t count, std::vector<int16_t>& audio);

    // Forgets all filter, loop and measurement state (after a retune).
    void Reset();

    // Signal-to-noise ratio of the channel in dB: the carrier against the
    // noise, referred to 200 kHz for FM and to 10 kHz for AM. Measured in
    // 50 ms blocks, smoothed, from 0.15 s after the start or Reset;
    // kNoSignalSnrDb before that.
    double ChannelSnrDb() const;
    bool Tuned() const { return ChannelSnrDb() >= kTunedSnrDb; }
    // True while a stereo FM decode follows a locked 19 kHz pilot.
    bool StereoLocked() const;

    int Channels() const { return config_.stereo ? 2 : 1; }
    const SdrDemodulatorConfig& Config() const { return config_; }

  private:
    struct Chain;
    SdrDemodulatorConfig config_;
    std::unique_ptr<Chain> chain_;
    std::atomic<double> snrDb_{kNoSignalSnrDb};
    std::atomic<bool> stereoLocked_{false};
};

// Unsigned 8-bit interleaved I/Q (RTL-SDR, rtl_tcp) to complex samples in
// [-1, 1]: pairs complete I/Q pairs are read from bytes and written to out.
void ConvertU8Iq(const uint8_t* bytes, size_t pairs, std::complex<float>* out);
// Appends the complete pairs of bytes to out; an odd last byte is ignored.
void AppendU8Iq(const uint8_t* bytes, size_t byteCount, std::vector<std::complex<float>>& out);
