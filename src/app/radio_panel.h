#pragma once

#include <QWidget>

#include "radio/radio_device_slot.h"

class QLabel;
struct ActionBlock;
struct SettingsRecords;

// The radio panel: the only place that drives the radio device. It holds the
// current frequency and mute state, tunes, mutes, applies the actions of the
// command line and of a second start, and answers the TV application's
// tuner requests.
class TAppDialog : public QWidget {
    Q_OBJECT
  public:
    TAppDialog(SettingsRecords& settings, ActionBlock& actions, bool debugDisplay,
               QWidget* parent = nullptr);
    ~TAppDialog() override;

    // Start-up: the start mute rule, then the radio device.
    void SetUp();

    // Tunes the device; a device without AM gets 89.9 MHz instead of an AM
    // frequency.
    void TuneTo(float frequency);
    // radioMute silences the device; lineMute is the state the user sees.
    // Unmuting asks the TV application first and does nothing if it refuses.
    void SetMute(bool radioMute, bool lineMute);
    void ToggleMute();
    // Applies the action block: mute or unmute, record or stop, tune.
    void ApplyActions();
    // Re-creates the device when the configured model or port changed.
    void ResetDevice();
    // Applies the exit mute rule; never refuses.
    bool CanClose();
    // Answers a tuner request of the TV application.
    int AnswerTunerRequest(int group);

    // Recording by hand; the recorder comes with the record control.
    void StartEvent(int event);
    void StopEvent(int event);

    SRadio& device() const { return slot_.device(); }
    bool muted() const;
    float frequency() const;
    QString statusText() const;

  protected:
    bool event(QEvent* event) override;

  private:
    void ShowFrequency(float frequency);

    SettingsRecords& settings_;
    ActionBlock& actions_;
    bool debugDisplay_;
    RadioDeviceSlot slot_;
    QLabel* frequencyLabel_;
    QLabel* statusLabel_;
};
