#pragma once

#include "app/record_control.h"

class TAppDialog;

// The radio panel as the record control sees it.
class PanelRecordView : public RecordControlView {
  public:
    explicit PanelRecordView(TAppDialog& panel) : panel_(panel) {}

    void TuneTo(float frequency) override;
    void SetMute(bool radioMute, bool lineMute) override;
    bool muted() const override;
    float frequency() const override;
    bool AskTuner() override;
    SMixer* inputMixer() override;
    std::function<bool()> PausePassthrough() override;
    void ResumePassthrough() override;
    void ShowRecordButtons(bool recording, bool focus) override;
    void HideRecordButtons() override;
    void SetStatusText(const QString& text) override;
    SMeter* levelMeter() override;
    // On screen: the panel is the current tab of a window that is neither
    // hidden nor minimized.
    bool shown() const override;
    QObject* stateIconReceiver() override;

  private:
    TAppDialog& panel_;
};
