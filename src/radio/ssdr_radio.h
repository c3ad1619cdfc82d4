#pragma once

#include <QPointer>
#include <QString>
#include <atomic>
#include <complex>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/sdr_audio_out.h"
#include "platform/sdr_device.h"
#include "platform/sdr_receiver.h"
#include "radio/sradio.h"

class QObject;
class SdrDemodulator;

inline constexpr const char* kReceiverLost = "Receiver lost: ";

// A software-defined radio: a local SoapySDR device or an rtl_tcp server,
// named by the port text ("soapy:..." or "rtl_tcp:host:port"). The receiver
// runs on a thread of its own, which demodulates the station and hands its
// audio to the "SDR receiver" capture device and, while the radio is not
// muted, to the loudspeaker. The receiver is opened in the background; a
// receiver that cannot be opened or is lost is reported once and opened
// again every few seconds.
class SSdrRadio : public SRadio {
  public:
    struct Options {
        // Opens the receiver; null: the one the port text names.
        SdrDeviceOpener opener;
        int retryMs = 3000;
        // How long IsTuned waits for the first measurement after a retune.
        int tunedWaitMs = 600;
        // FM de-emphasis in microseconds; negative: by the user's country.
        int deemphasisUs = -1;
    };

    SSdrRadio(const QString& portString, const QString& waveOutDevice, Options options);
    SSdrRadio(const QString& portString, const QString& waveOutDevice)
        : SSdrRadio(portString, waveOutDevice, Options()) {}
    ~SSdrRadio() override;

    // Tunes to the station; the result is the station in kHz, 0 while the
    // receiver is not open.
    qint32 SetFrequency(float mhz) override;
    // Starts (false) or stops (true) the audio on the loudspeaker; the
    // receiver and recordings go on.
    bool SetMute(bool mute) override;
    // The loudspeaker volume, in software.
    bool StepVolume(bool up) override;
    // The channel's signal-to-noise ratio at the current frequency reaches
    // the demodulator's threshold and, on FM, the carrier lies within 20 kHz
    // of the channel's middle (so a scan stops on the station, not on its
    // edge). Waits for the first measurement after
    // a retune, at most tunedWaitMs.
    bool IsTuned() override;
    // The receiver tunes 0.52 to 1.71 MHz: as it says once open, before that
    // as it said the last time it was open (remembered in the settings).
    bool HasAmBand() override;
    // The channel's signal-to-noise ratio says whether a station is there.
    bool SensesSignal() override { return true; }

    bool receiving() const { return receiver_ && receiver_->running(); }
    int volume() const { return audioOut_.volume(); }

  private:
    struct Measurement {
        uint64_t tuning = 0;  // the retune it belongs to
        double snrDb = -100;
        bool valid = false;
        // FM: the carrier sits in the middle of the channel, not on its edge.
        bool centred = true;
    };

    void OnBlock(const std::complex<float>* iq, size_t count, const SdrReceiver::Block& block);
    void OnOpened(bool coversAm);
    void OnLost(const std::string& reason);
    void StartAudio();

    const QString portString_;
    const QString waveOutDevice_;
    const Options options_;
    QObject* notices_;  // lives on the user-interface thread
    std::atomic<bool> coversAm_;
    std::atomic<bool> everOpened_{false};
    SdrAudioOut audioOut_;
    bool audioFailureLogged_ = false;

    // Receive thread only.
    std::unique_ptr<SdrDemodulator> demodulator_;
    // The carrier's mean frequency in the channel, measured after a retune:
    // the channel mixed to zero, summed in fours, and the phase steps of the
    // sums added up (weighted by power, so the carrier dominates).
    std::complex<double> mixer_{1.0, 0.0};
    std::complex<double> mixerStep_{1.0, 0.0};
    std::complex<double> sum_{};
    int summed_ = 0;
    std::complex<double> previous_{};
    std::complex<double> steps_{};
    bool centred_ = true;
    uint64_t demodTuning_ = ~uint64_t{0};
    double demodRate_ = 0;
    bool demodAm_ = false;
    double demodOffsetHz_ = 0;
    size_t settleLeft_ = 0;
    size_t measureLeft_ = 0;
    std::vector<int16_t> pcm_;
    std::vector<float> audio_;

    std::mutex measureMutex_;
    std::condition_variable measured_;
    Measurement measurement_;
    uint64_t requested_ = 0;  // the retune asked for last

    std::unique_ptr<SdrReceiver> receiver_;  // last: its thread uses the above
};
