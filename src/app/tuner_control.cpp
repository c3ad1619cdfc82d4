#include "app/tuner_control.h"

#include <cmath>

#include "app/preset_table.h"
#include "app/settings_records.h"
#include "audio/log.h"
#include "audio/wave_device_choice.h"
#include "platform/audio_passthrough.h"
#include "radio/tuner_sharing.h"

namespace {

constexpr int kScanPeriodMs = 200;
constexpr float kPresetMatch = 0.15f;
const char* const kNotConnected = "<not connected>";

bool IsAmBank(int bank) {
    return bank >= 5 && bank <= 8;
}

std::unique_ptr<SMixer> OpenMixer(SMixer::Kind kind, const std::string& deviceName,
                                  QObject* window) {
    return std::make_unique<SMixer>(kind, deviceName, window);
}

bool DefaultTunerQuery(int modelId) {
    return AskTunerAllowed(modelId);
}

}  // namespace

namespace tuning {

float DisplayValue(float frequency) {
    return band::Shown(frequency, band::Context::kTuning);
}

float StepFrequency(float current, int bank, bool fine, bool up) {
    if (IsAmBank(bank)) {
        const float step = fine ? 0.001f : 0.01f;
        return up ? current + step : current - step;
    }
    if (fine) {
        return up ? current + 0.01f : current - 0.01f;
    }
    if (up) {
        const long grid = std::lround(current * 100.0f) / 10;
        return static_cast<float>(grid) * 0.1f + 0.1f;
    }
    const long grid = static_cast<long>(current * 100.0f - 1.0f) / 10;
    return static_cast<float>(grid) * 0.1f;
}

float ScanStep(float current, bool up) {
    if (current >= kAmScanLimit) {
        if (up) {
            const float next = current + 0.05f;
            return next > kFmScanHigh ? kFmScanLow : next;
        }
        const float next = current - 0.05f;
        return next < kFmScanLow ? kFmScanHigh : next;
    }
    if (up) {
        const float next = current + 0.001f;
        return next > kAmScanHigh ? kAmScanLow : next;
    }
    const float next = current - 0.001f;
    return next < kAmScanLow ? kAmScanHigh : next;
}

int NeighbourPreset(const PresetTable& presets, int bank, float current, bool next) {
    constexpr int kCount = PresetTable::kPresetsPerBank;
    int match = kCount;
    for (int k = 0; k < kCount; ++k) {
        if (std::fabs(current - presets.GetFrequency(PresetTable::IndexOf(bank, k))) <
            kPresetMatch) {
            match = k;
            break;
        }
    }
    const int start = next ? (match + 1) % kCount : (match - 1 + kCount) % kCount;
    for (int n = 0; n < kCount; ++n) {
        const int k = next ? (start + n) % kCount : (start - n + kCount) % kCount;
        const int index = PresetTable::IndexOf(bank, k);
        if (presets.GetFrequency(index) > PresetTable::kProgrammedThreshold) {
            return index;
        }
    }
    return -1;
}

int StepLineVolume(int volume, bool up) {
    if (up) {
        return std::min(volume + 10, SMixer::kMaxLevel);
    }
    return volume * 90 / 100;
}

QString RadioMenuText(float frequency) {
    return "Radio " + band::Text(frequency, band::Context::kTuning) + "\tHome";
}

std::optional<int> VolumeReadBack(int lineVolume, int storedVolume) {
    if (lineVolume < 0) {
        return std::nullopt;
    }
    const int percent = lineVolume * 100 / SMixer::kMaxLevel;
    if (std::abs(percent - storedVolume) > 4) {
        return percent;
    }
    return std::nullopt;
}

}  // namespace tuning

TunerControl::TunerControl(SettingsRecords& settings, bool debugDisplay,
                           RadioDeviceSlot::Factory factory, QObject* parent)
    : QObject(parent),
      settings_(settings),
      debugDisplay_(debugDisplay),
      slot_(std::move(factory)),
      mixerFactory_(&OpenMixer),
      tunerQuery_(&DefaultTunerQuery) {
    // A failure comes from the copy's thread and is told here.
    passthrough_ = std::make_unique<AudioPassthrough>([this](const std::string& reason) {
        QMetaObject::invokeMethod(
            this, [this, text = QString::fromStdString(reason)] { PassthroughFailed(text); },
            Qt::QueuedConnection);
    });
    scanTimer_.setInterval(kScanPeriodMs);
    connect(&scanTimer_, &QTimer::timeout, this, &TunerControl::ScanTick);
}

TunerControl::~TunerControl() {
    scanTimer_.stop();
    passthrough_.reset();
    slot_.Release();
}

void TunerControl::TuneTo(float frequency) {
    if (!slot_.hasAmBand() && frequency < tuning::kAmTuneLimit) {
        frequency = tuning::kFallbackFrequency;
    }
    const qint32 result = slot_.device().SetFrequency(frequency);
    emit displayChanged(tuning::DisplayValue(frequency));
    if (!debugDisplay_) {
        emit statusChanged(frequency < tuning::kAmTuneLimit ? "AM" : "");
    }
    settings_.radioPanel.frequency = frequency;
    emit tuned();
    if (debugDisplay_) {
        emit statusChanged(QString::asprintf("%ld", static_cast<long>(result)));
    }
}

void TunerControl::Step(bool fine, bool up) {
    TuneTo(
        tuning::StepFrequency(slot_.device().GetFrequency(), settings_.radioPanel.bank, fine, up));
}

void TunerControl::Scan(bool up) {
    if (scanning_) {
        StopScan();
        return;
    }
    scanning_ = true;
    scanUp_ = up;
    emit scanChanged(true);
    SRadio& radio = slot_.device();
    if (radio.IsTuned()) {
        const float current = radio.GetFrequency();
        radio.SetFrequency(up ? current + 0.1f : current - 0.1f);
    }
    scanTimer_.start();
    ScanTick();
}

void TunerControl::StopScan() {
    if (!scanning_) {
        return;
    }
    scanning_ = false;
    scanTimer_.stop();
    emit scanChanged(false);
}

void TunerControl::ScanTick() {
    if (scanning_) {
        const float next = tuning::ScanStep(slot_.device().GetFrequency(), scanUp_);
        TuneTo(next);
        if (slot_.device().IsTuned()) {
            StopScan();
        }
        // The scan's own AM boundary decides how the read-out shows it.
        emit displayChanged(band::Shown(next, band::Context::kScan));
        settings_.radioPanel.frequency = next;
    }
    emit scanTicked();
}

void TunerControl::TunePreset(bool next) {
    const int index = tuning::NeighbourPreset(settings_.presets, settings_.radioPanel.bank,
                                              slot_.device().GetFrequency(), next);
    if (index >= 0) {
        TuneTo(settings_.presets.GetFrequency(index));
    }
}

bool TunerControl::TunerLineConfigured() const {
    const QString& line = settings_.sound.mixerInput;
    return !line.isEmpty() && line.compare(kNotConnected, Qt::CaseInsensitive) != 0;
}

bool TunerControl::AskTuner() const {
    return tunerQuery_(settings_.radio.vendor);
}

bool TunerControl::SetMute(bool radioMute, bool lineMute) {
    if (!radioMute && !tunerQuery_(settings_.radio.vendor)) {
        return false;
    }
    slot_.device().SetMute(radioMute);
    WithMixers([this, lineMute] {
        if (inputMixer_ && !outputMixer_) {
            inputMixer_->SetLineMute(settings_.sound.mixerInput.toStdString(), lineMute);
        }
    });
    if (lineMute) {
        StopPassthrough();
    }
    settings_.radioPanel.muted = lineMute;
    if (!lineMute) {
        StartPassthrough();
    }
    emit muteChanged(lineMute);
    return true;
}

void TunerControl::StartPassthrough() {
    // An SDR radio plays its audio itself.
    if (passthroughPaused_ || settings_.radioPanel.muted || !outputMixer_ ||
        passthrough_->started() || PlaysItsOwnAudio(settings_.radio.vendor) ||
        !(TunerLineConfigured() || settings_.sound.mixerStream)) {
        return;
    }
    const WaveDeviceChoice capture = ChooseWaveDevice(
        WaveDirection::kInput, settings_.sound.waveInDriver.toStdString(), NameMatch::kExact);
    const WaveDeviceChoice playback = ChooseWaveDevice(
        WaveDirection::kOutput, settings_.sound.waveOutDriver.toStdString(), NameMatch::kExact);
    // Opens beside this thread; a failure comes back as PassthroughFailed.
    passthrough_->Start(capture.name, playback.name);
}

void TunerControl::StopPassthrough() {
    passthrough_->Stop();
}

void TunerControl::PassthroughFailed(const QString& reason) {
    LogWarning("pass-through: %s", reason.toUtf8().constData());
    emit statusChanged(QStringLiteral("Pass-through: ") + reason);
}

std::function<bool()> TunerControl::PausePassthrough() {
    passthroughPaused_ = true;
    return passthrough_->Stop();
}

void TunerControl::ResumePassthrough() {
    passthroughPaused_ = false;
    StartPassthrough();
}

void TunerControl::ToggleMute() {
    if (settings_.radioPanel.muted) {
        SetMute(false, false);
    } else {
        SetMute(true, true);
    }
}

SMixer* TunerControl::VolumeMixer(std::string& line) {
    if (outputMixer_) {
        line = outputLine_;
        return outputMixer_.get();
    }
    if (inputMixer_) {
        line = settings_.sound.mixerInput.toStdString();
        return inputMixer_.get();
    }
    return nullptr;
}

void TunerControl::StepVolume(bool up) {
    if (slot_.device().StepVolume(up)) {
        return;
    }
    WithMixers([this, up] {
        std::string line;
        SMixer* mixer = VolumeMixer(line);
        if (!mixer) {
            return;
        }
        const int volume = mixer->GetLineVolume(line);
        if (volume >= 0) {
            mixer->SetLineVolume(line, tuning::StepLineVolume(volume, up));
        }
    });
}

void TunerControl::SetSliderPosition(int position) {
    position = std::clamp(position, 0, 100);
    settings_.volume = 100 - position;
    WithMixers([this, volume = settings_.volume] {
        std::string line;
        if (SMixer* mixer = VolumeMixer(line)) {
            mixer->SetLineVolume(line, volume * SMixer::kMaxLevel / 100);
        }
    });
}

int TunerControl::SliderPosition() const {
    return 100 - std::clamp(settings_.volume, 0, 100);
}

bool TunerControl::ReadBackVolume() {
    std::string line;
    SMixer* mixer = VolumeMixer(line);
    if (!mixer) {
        return false;
    }
    const std::optional<int> volume =
        tuning::VolumeReadBack(mixer->GetLineVolume(line), settings_.volume);
    if (!volume) {
        return false;
    }
    settings_.volume = *volume;
    return true;
}

void TunerControl::WithMixers(std::function<void()> work) {
    if (mixersPending_) {
        mixerWork_.push_back(std::move(work));
    } else {
        work();
    }
}

void TunerControl::RecreateMixersLater() {
    if (mixersPending_) {
        return;
    }
    mixersPending_ = true;
    QMetaObject::invokeMethod(this, &TunerControl::OpenPendingMixers, Qt::QueuedConnection);
}

void TunerControl::OpenPendingMixers() {
    if (!mixersPending_) {
        return;
    }
    mixersPending_ = false;
    RecreateMixers();
    const std::vector<std::function<void()>> work = std::move(mixerWork_);
    mixerWork_.clear();
    for (const auto& step : work) {
        step();
    }
    // The pass-through waits for the output mixer; an unmuted line plays now.
    StartPassthrough();
}

void TunerControl::RecreateMixers() {
    if (mixersPending_) {
        return;  // the pending open reads the settings as they are then
    }
    outputMixer_.reset();
    inputMixer_.reset();
    outputLine_.clear();
    if (!settings_.sound.changeMixer) {
        return;
    }
    inputMixer_ = mixerFactory_(SMixer::Kind::kWaveIn, settings_.sound.waveInDriver.toStdString(),
                                mixerWindow_);
    if (inputMixer_ && !inputMixer_->IsOpen()) {
        inputMixer_.reset();
    }
    outputMixer_ = mixerFactory_(SMixer::Kind::kWaveOut,
                                 settings_.sound.waveOutDriver.toStdString(), mixerWindow_);
    if (outputMixer_ && !outputMixer_->IsOpen()) {
        outputMixer_.reset();
    }
    if (!outputMixer_) {
        StopPassthrough();
        return;
    }
    const bool different = !inputMixer_ || inputMixer_->GetMixerId() != outputMixer_->GetMixerId();
    if (!((different && settings_.sound.mixerStream) || !TunerLineConfigured())) {
        outputMixer_.reset();
        StopPassthrough();
        return;
    }
    const int count = outputMixer_->GetPlaybackSourceCount();
    for (int i = 0; i < count; ++i) {
        if (outputMixer_->IsPlaybackMixSource(i)) {
            outputLine_ = outputMixer_->GetPlaybackSourceName(i).value_or("");
            break;
        }
    }
}

bool TunerControl::ResetDevice() {
    StopScan();
    RadioCreateOptions options;
    options.diagnosticMode = debugDisplay_;
    options.waveOutDevice = settings_.sound.waveOutDriver;
    const auto result = slot_.Reset(settings_.radio.vendor, settings_.radio.portAddress,
                                    settings_.radio.portString, options);
    const bool created = result == RadioDeviceSlot::ResetResult::Created;
    if (created) {
        if (settings_.radioPanel.muted) {
            SetMute(true, true);
        } else if (tunerQuery_(settings_.radio.vendor)) {
            SetMute(false, false);
        } else {
            SetMute(true, true);
        }
        TuneTo(settings_.radioPanel.frequency);
    }
    RecreateMixers();
    return created;
}

void TunerControl::ReleaseDevice() {
    StopScan();
    StopPassthrough();
    slot_.Release();
}

bool TunerControl::passthroughRunning() const {
    return passthrough_->running();
}
