#pragma once

#include "prefs/frequency_band.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "audio/smixer.h"
#include "radio/radio_device_slot.h"

class AudioPassthrough;
class PresetTable;
struct SettingsRecords;

// The rules of tuning, scanning, presets in a bank and volume, on plain
// numbers. Frequencies in MHz.
namespace tuning {

constexpr float kAmTuneLimit = band::kTuneAmLimit;  // below: AM for tuning and display
constexpr float kAmScanLimit = band::kScanAmLimit;  // below: AM for the scan and the dialog
constexpr float kFallbackFrequency = 89.9f;
constexpr float kFmScanLow = 87.0f;
constexpr float kFmScanHigh = 108.1f;
constexpr float kAmScanLow = 0.52f;
constexpr float kAmScanHigh = 1.71f;

// What the read-out shows: FM in MHz, AM in units of 10 kHz.
float DisplayValue(float frequency);
// One tune step from the current frequency: AM banks (5 to 8) step 0.01
// (fine 0.001); FM banks step to the next 0.1 MHz grid point (fine 0.01).
float StepFrequency(float current, int bank, bool fine, bool up);
// One scan step, wrapping at the band's ends.
float ScanStep(float current, bool up);
// Index in the preset table of the next or previous programmed preset of a
// bank, seen from the preset matching the current frequency; -1 when the
// bank holds no programmed preset.
int NeighbourPreset(const PresetTable& presets, int bank, float current, bool next);
// The mixer line volume (0 to 127) after one volume step.
int StepLineVolume(int volume, bool up);
// The "Radio" menu item's text for a frequency.
QString RadioMenuText(float frequency);
// The stored volume (percent) for a line volume read from the mixer, when
// it differs from the stored one by more than 4.
std::optional<int> VolumeReadBack(int lineVolume, int storedVolume);

}  // namespace tuning

// The tuner as the radio panel drives it: the radio device, the two mixers
// and the audio pass-through, with the tune, scan, mute and volume rules.
class TunerControl : public QObject {
    Q_OBJECT
  public:
    using MixerFactory = std::function<std::unique_ptr<SMixer>(
        SMixer::Kind kind, const std::string& deviceName, QObject* window)>;
    // Asks the TV application for the tuner; true when the radio may sound.
    using TunerQuery = std::function<bool(int modelId)>;

    TunerControl(SettingsRecords& settings, bool debugDisplay,
                 RadioDeviceSlot::Factory factory = CreateRadioForModel, QObject* parent = nullptr);
    ~TunerControl() override;

    void SetMixerFactory(MixerFactory factory) { mixerFactory_ = std::move(factory); }
    void SetTunerQuery(TunerQuery query) { tunerQuery_ = std::move(query); }
    // Where mixer changes are posted.
    void SetMixerWindow(QObject* window) { mixerWindow_ = window; }

    // The tune rule: a device without AM gets 89.9 instead of an AM value.
    void TuneTo(float frequency);
    void Step(bool fine, bool up);
    // Starts a scan, or stops the one running.
    void Scan(bool up);
    void StopScan();
    bool scanning() const { return scanning_; }
    // Next or previous preset of the current bank.
    void TunePreset(bool next);

    // Asks the TV application for the tuner of the configured model.
    bool AskTuner() const;
    // false when the TV application kept the tuner (nothing changed).
    bool SetMute(bool radioMute, bool lineMute);
    void ToggleMute();

    void VolumeUp() { StepVolume(true); }
    void VolumeDown() { StepVolume(false); }
    // The volume slider's position (0 at the top = 100 %).
    void SetSliderPosition(int position);
    int SliderPosition() const;
    // After a mixer change: true when the stored volume followed the line.
    bool ReadBackVolume();

    // Re-creates the device when the model or port changed; true when a
    // new device for a configured model was made. Re-creates the mixers.
    bool ResetDevice();
    void RecreateMixers();
    // Opens the mixers from the event loop (after the window's first frame):
    // until then RecreateMixers waits for that, and mute and volume changes
    // that need a mixer are kept and applied, in order, once it is open.
    void RecreateMixersLater();
    bool mixersPending() const { return mixersPending_; }
    void ReleaseDevice();

    SRadio& device() const { return slot_.device(); }
    bool hasAmBand() const { return slot_.hasAmBand(); }
    SMixer* inputMixer() const { return inputMixer_.get(); }
    SMixer* outputMixer() const { return outputMixer_.get(); }
    // The pass-through opens or plays.
    bool passthroughRunning() const;
    // A recorder is about to open the capture device: the pass-through
    // lets go of it until ResumePassthrough, and does not start meanwhile.
    // Returns at once, with the wait (for another thread) until it has.
    std::function<bool()> PausePassthrough();
    // The recorder closed the device: the pass-through runs again if the
    // line is not muted.
    void ResumePassthrough();
    const std::string& outputLine() const { return outputLine_; }

  signals:
    // The value for the read-out (AM multiplied by 100).
    void displayChanged(float value);
    void statusChanged(const QString& text);
    // After every tune: the highlight follows.
    void tuned();
    void muteChanged(bool muted);
    void scanChanged(bool scanning);
    // Every tick of the scan timer.
    void scanTicked();

  private:
    void ScanTick();
    void StepVolume(bool up);
    // Runs work on the mixers now, or when the pending open has happened.
    void WithMixers(std::function<void()> work);
    void OpenPendingMixers();
    // The line volume and mute commands go to, with its mixer.
    SMixer* VolumeMixer(std::string& line);
    bool TunerLineConfigured() const;
    void StartPassthrough();
    void StopPassthrough();
    void PassthroughFailed(const QString& reason);

    SettingsRecords& settings_;
    bool debugDisplay_;
    RadioDeviceSlot slot_;
    MixerFactory mixerFactory_;
    TunerQuery tunerQuery_;
    QObject* mixerWindow_ = nullptr;
    std::unique_ptr<SMixer> inputMixer_;
    std::unique_ptr<SMixer> outputMixer_;
    std::string outputLine_;
    bool mixersPending_ = false;
    std::vector<std::function<void()>> mixerWork_;
    std::unique_ptr<AudioPassthrough> passthrough_;
    bool passthroughPaused_ = false;
    QTimer scanTimer_;
    bool scanning_ = false;
    bool scanUp_ = true;
};
