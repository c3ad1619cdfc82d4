#include "app/radio_panel.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/action_block.h"
#include "app/settings_records.h"
#include "app/tune_text.h"
#include "audio/log.h"
#include "platform/message_box.h"
#include "platform/post_message.h"
#include "platform/window_messages.h"
#include "radio/tuner_sharing.h"

namespace {

constexpr float kAmLimit = 50.0f;
constexpr float kFallbackFrequency = 89.9f;

}  // namespace

TAppDialog::TAppDialog(SettingsRecords& settings, ActionBlock& actions, bool debugDisplay,
                       QWidget* parent)
    : QWidget(parent),
      settings_(settings),
      actions_(actions),
      debugDisplay_(debugDisplay),
      frequencyLabel_(new QLabel(this)),
      statusLabel_(new QLabel(this)) {
    setObjectName("Radio");
    auto* layout = new QVBoxLayout(this);
    QFont big = frequencyLabel_->font();
    big.setPointSize(big.pointSize() * 2);
    frequencyLabel_->setFont(big);
    frequencyLabel_->setAlignment(Qt::AlignCenter);
    layout->addWidget(frequencyLabel_);
    layout->addWidget(statusLabel_);
    ShowFrequency(settings_.radioPanel.frequency);
    LogWarning("start program");
}

TAppDialog::~TAppDialog() {
    slot_.Release();
    LogWarning("exit program");
}

bool TAppDialog::muted() const {
    return settings_.radioPanel.muted;
}

float TAppDialog::frequency() const {
    return settings_.radioPanel.frequency;
}

QString TAppDialog::statusText() const {
    return statusLabel_->text();
}

void TAppDialog::SetUp() {
    switch (settings_.radio.startMute) {
        case kStartNoMute:
            settings_.radioPanel.muted = false;
            break;
        case kStartMute:
            settings_.radioPanel.muted = true;
            break;
        default:
            break;  // the state the program was left in
    }
    ResetDevice();
}

void TAppDialog::ResetDevice() {
    RadioCreateOptions options;
    options.diagnosticMode = debugDisplay_;
    options.waveOutDevice = settings_.sound.waveOutDriver;
    const auto result = slot_.Reset(settings_.radio.vendor, settings_.radio.portAddress,
                                    settings_.radio.portString, options);
    if (result != RadioDeviceSlot::ResetResult::Created) {
        return;
    }
    if (settings_.radioPanel.muted) {
        SetMute(true, true);
    } else if (AskTunerAllowed(settings_.radio.vendor)) {
        SetMute(false, false);
    } else {
        SetMute(true, true);
    }
    PostMessage(window(), WM_STATE_ICONS);
    TuneTo(settings_.radioPanel.frequency);
}

void TAppDialog::TuneTo(float frequency) {
    if (!slot_.hasAmBand() && frequency < kAmLimit) {
        frequency = kFallbackFrequency;
    }
    const qint32 result = slot_.device().SetFrequency(frequency);
    ShowFrequency(frequency);
    if (!debugDisplay_) {
        statusLabel_->setText(frequency < kAmLimit ? "AM" : "");
    }
    settings_.radioPanel.frequency = frequency;
    if (debugDisplay_) {
        statusLabel_->setText(QString::number(result));
    }
}

void TAppDialog::ShowFrequency(float frequency) {
    frequencyLabel_->setText(frequency < kAmLimit ? QString::asprintf("%.1f AM", frequency * 100.0f)
                                                  : QString::asprintf("%.2f MHz", frequency));
}

void TAppDialog::SetMute(bool radioMute, bool lineMute) {
    if (!radioMute && !AskTunerAllowed(settings_.radio.vendor)) {
        return;
    }
    slot_.device().SetMute(radioMute);
    settings_.radioPanel.muted = lineMute;
    PostMessage(window(), WM_STATE_ICONS);
}

void TAppDialog::ToggleMute() {
    if (settings_.radioPanel.muted) {
        SetMute(false, false);
    } else {
        SetMute(true, true);
    }
}

void TAppDialog::ApplyActions() {
    if (actions_.flags & kActionFlagMute) {
        SetMute(true, true);
    } else if (actions_.flags & kActionFlagUnmute) {
        SetMute(false, false);
    }
    if (actions_.flags & kActionFlagRecord) {
        StartEvent(-1);
    } else if (actions_.flags & kActionFlagStopRecord) {
        StopEvent(-1);
    }
    if (actions_.flags & kActionFlagTune) {
        if (const auto frequency = FrequencyFromTuneText(actions_.TuneText(), settings_.presets)) {
            TuneTo(*frequency);
        }
    }
}

void TAppDialog::StartEvent(int) {
    LogWarning("record");
}

void TAppDialog::StopEvent(int) {
    LogWarning("stop record");
}

bool TAppDialog::CanClose() {
    const bool mutedBefore = settings_.radioPanel.muted;
    switch (settings_.radio.onExit) {
        case kOnExitMute:
            SetMute(true, true);
            break;
        case kOnExitAsk:
            if (!slot_.device().IsMuted() &&
                MessageBox("Turn off radio on program exit?", "Plumora", MessageIcon::Question,
                           MessageButtons::YesNo) == IDYES) {
                SetMute(true, true);
            }
            break;
        default:
            break;
    }
    settings_.radioPanel.muted = mutedBefore;
    return true;
}

int TAppDialog::AnswerTunerRequest(int group) {
    return ::AnswerTunerRequest(group, settings_.radio.vendor, false, settings_.radioPanel.muted,
                                [this] { ToggleMute(); });
}

bool TAppDialog::event(QEvent* event) {
    if (const WindowMessage* m = AsWindowMessage(event)) {
        switch (m->msg) {
            case WM_RADIO_RESET:
                ResetDevice();
                break;
            case WM_REMOTE_COMMAND:
                if (m->wParam == kRemoteApplyActions) {
                    ApplyActions();
                } else {
                    ToggleMute();
                }
                break;
            default:
                break;
        }
        return true;
    }
    return QWidget::event(event);
}
