#include "radio/ssdr_radio.h"

#include <QObject>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "audio/log.h"
#include "audio/wave_device_choice.h"
#include "platform/message_box.h"
#include "platform/sdr_audio.h"
#include "platform/sdr_demodulator.h"
#include "platform/sdr_tuning.h"
#include "radio/sdr_am_memory.h"

namespace {

// After a retune the samples of this long still carry the old frequency
// (device and network buffers); then the channel is measured for this long:
// the demodulator reports from 0.15 s after a reset, in blocks of 50 ms.
constexpr double kSettleSeconds = 0.03;
constexpr double kMeasureSeconds = 0.22;
// A carrier further than this from the channel's middle is a station heard on
// the channel's edge (the scan steps by 50 kHz).
constexpr double kMostCarrierOffsetHz = 20000.0;
// Samples summed before the phase steps are taken: the sums still follow a
// carrier swinging 75 kHz either side of 50 kHz off.
constexpr int kOffsetDecimation = 4;
constexpr int kVolumeStep = 10;
constexpr int kStartVolume = 70;

// Runs f on the user-interface thread, unless the object is gone by then.
template <typename F>
void OnUiThread(QObject* target, F f) {
    QMetaObject::invokeMethod(target, std::move(f), Qt::QueuedConnection);
}

}  // namespace

SSdrRadio::SSdrRadio(const QString& portString, const QString& waveOutDevice, Options options)
    : portString_(portString),
      waveOutDevice_(waveOutDevice),
      options_(std::move(options)),
      notices_(new QObject),
      coversAm_(sdr_am_memory::Remembered(portString)) {
    audioOut_.SetVolume(kStartVolume);
    sdr_audio::AttachSource(this);
    SdrDeviceOpener opener =
        options_.opener ? options_.opener : OpenerForPort(ParseSdrPort(portString.toStdString()));
    SdrReceiver::Options receiverOptions;
    receiverOptions.sampleRate = SdrDemodulator::kDefaultInputRate;
    receiverOptions.retryMs = options_.retryMs;
    receiver_ = std::make_unique<SdrReceiver>(
        std::move(opener),
        [this](const std::complex<float>* iq, size_t count, const SdrReceiver::Block& block) {
            OnBlock(iq, count, block);
        },
        SdrReceiver::Events{[this](bool coversAm) { OnOpened(coversAm); },
                            [this](const std::string& reason) { OnLost(reason); }},
        receiverOptions);
}

SSdrRadio::~SSdrRadio() {
    receiver_.reset();  // no more blocks or events after this
    audioOut_.Stop();
    sdr_audio::DetachSource(this);
    delete notices_;  // drops the notices still on their way
}

qint32 SSdrRadio::SetFrequency(float mhz) {
    frequency = mhz;
    const double stationHz = static_cast<double>(mhz) * 1e6;
    const uint64_t serial = receiver_->SetFrequency(stationHz);
    {
        std::lock_guard lock(measureMutex_);
        requested_ = serial;
    }
    return receiving() ? static_cast<qint32>(std::lround(stationHz / 1000.0)) : 0;
}

bool SSdrRadio::SetMute(bool mute) {
    muted = mute;
    if (mute) {
        audioOut_.Stop();
    } else {
        StartAudio();
    }
    return true;
}

void SSdrRadio::StartAudio() {
    const WaveDeviceChoice choice = ChooseWaveDevice(
        WaveDirection::kOutput, waveOutDevice_.toStdString(), NameMatch::kIgnoreCase);
    const std::string device = choice.name.empty() ? std::string("default") : choice.name;
    if (!audioOut_.Start(device) && !audioFailureLogged_) {
        audioFailureLogged_ = true;
        LogWarning("SDR receiver: %s", audioOut_.lastError().c_str());
    }
}

bool SSdrRadio::StepVolume(bool up) {
    audioOut_.SetVolume(audioOut_.volume() + (up ? kVolumeStep : -kVolumeStep));
    return true;
}

bool SSdrRadio::IsTuned() {
    if (!receiving()) {
        return false;
    }
    std::unique_lock lock(measureMutex_);
    const uint64_t wanted = requested_;
    measured_.wait_for(lock, std::chrono::milliseconds(options_.tunedWaitMs),
                       [&] { return measurement_.valid && measurement_.tuning == wanted; });
    return measurement_.valid && measurement_.tuning == wanted && measurement_.centred &&
           measurement_.snrDb >= SdrDemodulator::kTunedSnrDb;
}

bool SSdrRadio::HasAmBand() {
    return coversAm_.load();
}

void SSdrRadio::OnOpened(bool coversAm) {
    coversAm_ = coversAm;
    demodTuning_ = ~uint64_t{0};  // the first block restarts the demodulator
    const bool again = everOpened_.exchange(true);
    const QString port = portString_;
    OnUiThread(notices_, [again, port, coversAm] {
        LogWarning("SDR receiver %s %s", port.toUtf8().constData(), again ? "is back" : "is open");
        sdr_am_memory::Remember(port, coversAm);
    });
}

void SSdrRadio::OnLost(const std::string& reason) {
    // Recordings from the receiver end now, from this thread.
    sdr_audio::ReportLost(this, reason);
    const QString text = QString::fromStdString(reason);
    const QString port = portString_;
    const bool wasOpen = everOpened_.load();
    OnUiThread(notices_, [text, port, wasOpen] {
        LogWarning("%s%s (%s)", kReceiverLost, text.toUtf8().constData(),
                   port.toUtf8().constData());
        MessageBox(wasOpen ? QString::fromLatin1(kReceiverLost) + text
                           : QStringLiteral("The SDR receiver \"%1\" cannot be opened: %2\n"
                                            "Plumora keeps trying.")
                                 .arg(port, text),
                   QStringLiteral("Plumora"), MessageIcon::Warning);
    });
}

void SSdrRadio::OnBlock(const std::complex<float>* iq, size_t count,
                        const SdrReceiver::Block& block) {
    if (block.tuning != demodTuning_) {
        const double offsetHz = block.stationHz - block.centreHz;
        const bool am = sdr_tuning::IsAmBand(block.stationHz);
        if (!demodulator_ || demodRate_ != block.sampleRate || demodAm_ != am ||
            demodOffsetHz_ != offsetHz) {
            SdrDemodulatorConfig config;
            config.inputRate = block.sampleRate;
            config.offsetHz = offsetHz;
            config.audioRate = kSdrAudioRate;
            config.stereo = true;
            config.deemphasisUs = options_.deemphasisUs >= 0 ? options_.deemphasisUs
                                                             : sdr_tuning::DefaultDeemphasisUs();
            config.modulation = am ? SdrModulation::Am : SdrModulation::Fm;
            demodulator_ = std::make_unique<SdrDemodulator>(config);
            demodRate_ = block.sampleRate;
            demodAm_ = am;
            demodOffsetHz_ = offsetHz;
        } else {
            demodulator_->Reset();
        }
        demodTuning_ = block.tuning;
        settleLeft_ = static_cast<size_t>(block.sampleRate * kSettleSeconds);
        mixer_ = {1.0, 0.0};
        mixerStep_ = std::polar(1.0, -2.0 * std::numbers::pi * offsetHz / block.sampleRate);
        sum_ = {};
        summed_ = 0;
        previous_ = {};
        steps_ = {};
        measureLeft_ = static_cast<size_t>(block.sampleRate * kMeasureSeconds);
    }
    const size_t skip = std::min(settleLeft_, count);
    settleLeft_ -= skip;
    iq += skip;
    count -= skip;
    if (count == 0) {
        return;
    }
    pcm_.clear();
    demodulator_->Process(iq, count, pcm_);
    if (measureLeft_ > 0) {
        if (!demodAm_) {
            for (size_t i = 0; i < count; ++i) {
                sum_ += std::complex<double>(iq[i]) * mixer_;
                mixer_ *= mixerStep_;
                if (++summed_ == kOffsetDecimation) {
                    steps_ += sum_ * std::conj(previous_);
                    previous_ = sum_;
                    sum_ = {};
                    summed_ = 0;
                }
            }
            mixer_ /= std::abs(mixer_);  // no drift of its length
        }
        measureLeft_ -= std::min(measureLeft_, count);
        if (measureLeft_ == 0) {
            const double offsetHz =
                std::arg(steps_) * block.sampleRate / kOffsetDecimation / (2.0 * std::numbers::pi);
            centred_ = demodAm_ || std::abs(offsetHz) < kMostCarrierOffsetHz;
        }
    }
    if (measureLeft_ == 0) {
        {
            std::lock_guard lock(measureMutex_);
            measurement_ = {block.tuning, demodulator_->ChannelSnrDb(), true, centred_};
        }
        measured_.notify_all();
    }
    if (pcm_.empty()) {
        return;
    }
    const int channels = demodulator_->Channels();
    const size_t frames = pcm_.size() / static_cast<size_t>(channels);
    audio_.resize(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        const float left = static_cast<float>(pcm_[i * channels]) / 32768.0f;
        const float right =
            channels > 1 ? static_cast<float>(pcm_[i * channels + 1]) / 32768.0f : left;
        audio_[2 * i] = left;
        audio_[2 * i + 1] = right;
    }
    sdr_audio::Deliver(this, audio_.data(), frames);
}
