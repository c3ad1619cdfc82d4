#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <memory>

#include "platform/audio_passthrough.h"
#include "platform/clock.h"
#include "platform/v4l2_tuner.h"
#include "radio/sradio.h"

// The FM radio of a TV tuner or USB FM receiver, reached as a Video4Linux2
// radio tuner. Unmuting opens the device (the first radio tuner whose name
// begins with the configured device name), unmutes the card, tunes it
// directly in radio mode and, when the card has an ALSA capture device,
// plays that through the configured output. Muting mutes the card and
// closes everything again.
class STvDM : public SRadio {
  public:
    // The frequency the tuner is set to when it is opened, before the
    // program's own frequency.
    static constexpr qint64 kFirstFrequencyHz = 89900000;
    static constexpr int kCloseWaitMs = 100;

    // deviceName: prefix of the card name, case-insensitive; empty takes the
    // first radio tuner and keeps its name for reopening. outputDevice: the
    // ALSA playback device for the card's sound; empty, "<default>" and
    // "-1" mean ALSA's default device. radioMode and quiet choose how a
    // tuner property page would be shown; the tuners here are always tuned
    // directly, so they are only kept.
    STvDM(QString deviceName, bool radioMode, bool quiet, QString outputDevice,
          V4l2Layer& v4l2 = V4l2Layer::System(), Clock& clock = Clock::System());
    ~STvDM() override;

    // 1 when the tuner took the frequency; 0 when it did not or is not open.
    qint32 SetFrequency(float mhz) override;
    bool SetMute(bool mute) override;
    // The tuner reports a signal.
    bool IsTuned() override;
    bool SensesSignal() override { return true; }

    const QString& DeviceName() const { return deviceName; }
    bool radioMode() const { return radioMode_; }
    bool quiet() const { return quiet_; }
    bool open() const { return tuner != nullptr; }
    bool directMode() const { return directMode_; }
    // The card's sound is being played through the output (or its devices
    // are being opened).
    bool audioRunning() const { return passthrough.running(); }
    // The ALSA playback device the card's sound goes to.
    QString PlaybackDevice() const;

    // The tuning frequency of a frequency in MHz: the frequency in kHz
    // (rounded, as a single-precision value is rarely exact), truncated to
    // 100 kHz. 89.9 gives 89 900 000 Hz, 100.05 gives 100 000 000 Hz.
    static qint64 TuningHertz(float mhz);

  private:
    void Build();
    void TearDown();

    QString deviceName;
    QString outputDevice;
    bool radioMode_;
    bool quiet_;
    std::unique_ptr<V4l2RadioTuner> tuner;
    bool directMode_ = false;
    bool cardMute_ = false;
    AudioPassthrough passthrough;
    V4l2Layer& v4l2_;
    Clock& clock_;
};

// The names of the radio tuners, in enumeration order: the device choices
// of the TV tuner models on the Radio page.
QStringList TunerCaptureDeviceNames(V4l2Layer& layer = V4l2Layer::System());
