#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/window_decisions.h"

#include "radio/radio_device_slot.h"

class QPushButton;
class QSlider;
class QStackedLayout;
class RecordControl;
class RecordControlView;
class SMeter;
class SMixer;
class StatusLine;
class TLedFloat;
class TPresetButtons;
class TunerControl;
class ActionInbox;
struct SettingsRecords;

// The radio panel: the read-out, the preset buttons and the radio's keys.
// It shows and forwards; tuning, mute and volume are the tuner control's,
// the bank and button rules the preset buttons'.
class TAppDialog : public QWidget {
    Q_OBJECT
  public:
    TAppDialog(SettingsRecords& settings, ActionInbox& actions, bool debugDisplay,
               QWidget* parent = nullptr);
    // The same with the radio devices made by factory.
    TAppDialog(SettingsRecords& settings, ActionInbox& actions, bool debugDisplay,
               RadioDeviceSlot::Factory factory, QWidget* parent = nullptr);
    ~TAppDialog() override;

    // Start-up: the mixers, the start mute rule, the radio device, the
    // periodic timer.
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
    // Re-creates the device when the configured model or port changed, and
    // the mixers.
    void ResetDevice();
    // The exit mute rule as the close decided it: mute, or ask (unless the
    // radio is silent already) and mute on Yes. The muted flag keeps the
    // state the program had, for its next start.
    void ApplyExitRule(ExitMute mute);
    // Pwr: the handler decides; without one the window closes.
    void SetPowerHandler(std::function<void()> handler) { powerHandler_ = std::move(handler); }
    // Answers a tuner request of the TV application.
    int AnswerTunerRequest(int group);

    // Recording by hand or by the schedule.
    void StartEvent(int event);
    void StopEvent(int event);
    RecordControl* recordControl() const { return recordControl_; }
    // Playback commands go to this panel.
    void SetArchivePanel(QWidget* archivePanel);
    // Asks the TV application for the tuner; false when it keeps it.
    bool AskTuner();
    // The mixer of the wave input device; null when there is none.
    SMixer* inputMixer() const;

    // Bank button: the next bank, or the previous one.
    void ChangeBank(bool previous);
    // A click on preset button k (0 to 7) of the current bank.
    void PresetClicked(int button);
    void ToggleMemoryMode();
    // The "Set Radio Frequency" dialog; the panel tunes to what it leaves.
    void OpenFrequencyDialog();

    SRadio& device() const;
    TunerControl& tuner() const { return *tuner_; }
    bool muted() const;
    float frequency() const;
    bool memoryMode() const { return memoryMode_; }
    // Whether a recording runs. The record control keeps it; the Rec and
    // Stop buttons and the state icons follow it.
    bool recording() const { return recording_; }
    void SetRecording(bool recording);
    // The text of the "Radio" menu item.
    QString RadioMenuText() const;

    void SetStatusText(const QString& text);
    QString statusText() const;

    QPushButton* recButton() const { return recButton_; }
    QPushButton* stopButton() const { return stopButton_; }
    SMeter* levelMeter() const { return meter_; }
    TLedFloat* display() const { return display_; }
    TPresetButtons* presetButtons() const { return presets_; }
    QPushButton* bankButton() const { return bankButton_; }
    QPushButton* memoryButton() const { return memoryButton_; }
    QPushButton* tuneUpButton() const { return tuneUp_; }
    QPushButton* tuneDownButton() const { return tuneDown_; }
    QPushButton* scanButton() const { return scanButton_; }
    QPushButton* muteButton() const { return muteButton_; }
    QPushButton* powerButton() const { return powerButton_; }
    QPushButton* modeButton() const { return modeButton_; }
    QPushButton* helpButton() const { return helpButton_; }
    QSlider* volumeSlider() const { return volume_; }

  signals:
    // Every tick of the periodic timer and of the scan: time to check the
    // schedule.
    void scheduleTick();
    // "Mo&de": the user asks for the preferences.
    void preferencesRequested();

  protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void BuildLayout();
    void Command(unsigned id);
    void RefreshBank();
    void RefreshHighlight();
    void ShowFrequencyToReaders();
    void ShowMuted(bool muted);
    void StartTuneRepeat(bool up);
    void StopTuneRepeat();
    void Power();
    void SaveAllSettings();

    SettingsRecords& settings_;
    ActionInbox& actions_;
    TunerControl* tuner_;
    TLedFloat* display_;
    TPresetButtons* presets_;
    QPushButton* bankButton_;
    QPushButton* memoryButton_;
    QPushButton* tuneUp_;
    QPushButton* tuneDown_;
    QPushButton* scanButton_;
    QPushButton* muteButton_;
    QPushButton* powerButton_;
    QPushButton* modeButton_;
    QPushButton* helpButton_;
    QPushButton* recButton_;
    QPushButton* stopButton_;
    QStackedLayout* recordPlace_;
    QSlider* volume_;
    SMeter* meter_;
    StatusLine* statusLine_;
    QTimer periodic_;
    QTimer tuneRepeat_;
    bool repeatUp_ = true;
    bool repeatFine_ = false;
    bool memoryMode_ = false;
    bool recording_ = false;
    std::function<void()> powerHandler_;
    std::unique_ptr<RecordControlView> recordView_;
    RecordControl* recordControl_;
};
