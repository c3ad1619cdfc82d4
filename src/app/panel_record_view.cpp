#include "app/panel_record_view.h"

#include <QPushButton>

#include "app/radio_panel.h"
#include "app/tuner_control.h"

void PanelRecordView::TuneTo(float frequency) {
    panel_.TuneTo(frequency);
}

void PanelRecordView::SetMute(bool radioMute, bool lineMute) {
    panel_.SetMute(radioMute, lineMute);
}

bool PanelRecordView::muted() const {
    return panel_.muted();
}

float PanelRecordView::frequency() const {
    return panel_.frequency();
}

bool PanelRecordView::AskTuner() {
    return panel_.AskTuner();
}

SMixer* PanelRecordView::inputMixer() {
    return panel_.inputMixer();
}

std::function<bool()> PanelRecordView::PausePassthrough() {
    return panel_.tuner().PausePassthrough();
}

void PanelRecordView::ResumePassthrough() {
    panel_.tuner().ResumePassthrough();
}

void PanelRecordView::ShowRecordButtons(bool recording, bool focus) {
    panel_.SetRecording(recording);
    QPushButton* shown = recording ? panel_.stopButton() : panel_.recButton();
    QPushButton* hidden = recording ? panel_.recButton() : panel_.stopButton();
    if (hidden != nullptr) {
        hidden->setEnabled(false);
        hidden->hide();
    }
    if (shown != nullptr) {
        shown->setEnabled(true);
        shown->show();
        if (focus) {
            shown->setFocus();
        }
    }
}

void PanelRecordView::HideRecordButtons() {
    for (QPushButton* button : {panel_.recButton(), panel_.stopButton()}) {
        if (button != nullptr) {
            button->setEnabled(false);
            button->hide();
        }
    }
}

void PanelRecordView::SetStatusText(const QString& text) {
    panel_.SetStatusText(text);
}

SMeter* PanelRecordView::levelMeter() {
    return panel_.levelMeter();
}

bool PanelRecordView::shown() const {
    return panel_.isVisible() && !panel_.window()->isMinimized();
}

QObject* PanelRecordView::stateIconReceiver() {
    return panel_.window();
}
