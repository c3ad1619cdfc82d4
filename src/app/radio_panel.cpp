#include "app/radio_panel.h"
#include "app/panel_record_view.h"
#include "app/record_control.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>
#include <QSlider>
#include <QStackedLayout>
#include <QVBoxLayout>

#include "app/accelerators.h"
#include "app/accessible_texts.h"
#include "app/action_block.h"
#include "app/command_ids.h"
#include "app/freq_popup.h"
#include "app/help_topic.h"
#include "app/led_display.h"
#include "app/preset_buttons.h"
#include "app/settings_records.h"
#include "app/settings_store.h"
#include "app/station_dialog.h"
#include "app/status_line.h"
#include "app/tune_text.h"
#include "app/tuner_control.h"
#include "audio/log.h"
#include "audio/smeter.h"
#include "platform/message_box.h"
#include "platform/post_message.h"
#include "platform/window_messages.h"
#include "radio/tuner_sharing.h"

namespace {

constexpr int kPeriodicMs = 2000;
constexpr int kTuneRepeatMs = 200;

QPushButton* MakeButton(const QString& text, unsigned id, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString("Button%1").arg(id));
    button->setFocusPolicy(Qt::TabFocus);
    button->setAutoDefault(false);
    return button;
}

constexpr char kScanTip[] = "Scan up (Shift: down)";
constexpr char kNoScanTip[] = "This radio cannot sense stations, so it cannot scan.";

bool ShiftHeld() {
    return QGuiApplication::keyboardModifiers() & Qt::ShiftModifier;
}

}  // namespace

TAppDialog::TAppDialog(SettingsRecords& settings, ActionInbox& actions, bool debugDisplay,
                       QWidget* parent)
    : TAppDialog(settings, actions, debugDisplay, CreateRadioForModel, parent) {}

TAppDialog::TAppDialog(SettingsRecords& settings, ActionInbox& actions, bool debugDisplay,
                       RadioDeviceSlot::Factory factory, QWidget* parent)
    : QWidget(parent),
      settings_(settings),
      actions_(actions),
      tuner_(new TunerControl(settings, debugDisplay, std::move(factory), this)),
      recordView_(std::make_unique<PanelRecordView>(*this)),
      recordControl_(new RecordControl(*recordView_, settings, this)) {
    setObjectName("Radio");
    BuildLayout();
    tuner_->SetMixerWindow(this);
    connect(tuner_, &TunerControl::displayChanged, display_, &TLedFloat::SetValue);
    connect(tuner_, &TunerControl::displayChanged, this, &TAppDialog::ShowFrequencyToReaders);
    connect(tuner_, &TunerControl::tuned, this, &TAppDialog::ShowFrequencyToReaders);
    connect(tuner_, &TunerControl::statusChanged, this, &TAppDialog::SetStatusText);
    connect(tuner_, &TunerControl::tuned, this, &TAppDialog::RefreshHighlight);
    connect(tuner_, &TunerControl::muteChanged, this, &TAppDialog::ShowMuted);
    connect(tuner_, &TunerControl::scanChanged, scanButton_, &QPushButton::setChecked);
    connect(tuner_, &TunerControl::scanTicked, this, &TAppDialog::scheduleTick);
    periodic_.setInterval(kPeriodicMs);
    connect(&periodic_, &QTimer::timeout, this, &TAppDialog::scheduleTick);
    connect(this, &TAppDialog::scheduleTick, recordControl_, &RecordControl::Tick);
    tuneRepeat_.setInterval(kTuneRepeatMs);
    connect(&tuneRepeat_, &QTimer::timeout, this, [this] { tuner_->Step(repeatFine_, repeatUp_); });
    display_->SetValue(tuning::DisplayValue(settings_.radioPanel.frequency));
    ShowFrequencyToReaders();
    LogWarning("start program");
}

TAppDialog::~TAppDialog() {
    // A recording that still runs ends here, complete and tagged.
    recordControl_->EndRecording();
    periodic_.stop();
    tuneRepeat_.stop();
    tuner_->ReleaseDevice();
    LogWarning("exit program");
}

void TAppDialog::BuildLayout() {
    // The face of a small radio: the read-out in its bezel with the power,
    // mode and help keys below it; the preset keys with bank, memory, scan,
    // mute and record below them; the tune keys; the volume slider beside
    // the level meter; the status line along the bottom.
    display_ = new TLedFloat(3, 2, true, 89.9f, this);
    display_->setObjectName("Display147");
    display_->setToolTip("Set Radio Frequency");
    display_->setAccessibleDescription("Frequency");
    connect(display_, &TLedFloat::clicked, this, &TAppDialog::OpenFrequencyDialog);

    presets_ = new TPresetButtons(this);
    connect(presets_, &TPresetButtons::presetClicked, this, &TAppDialog::PresetClicked);

    bankButton_ = MakeButton("F&M1", cmd::kBank, this);
    bankButton_->setToolTip("Next station bank (Shift: previous)");
    connect(bankButton_, &QPushButton::clicked, this, [this] { ChangeBank(ShiftHeld()); });
    memoryButton_ = MakeButton("M&em", cmd::kMemory, this);
    memoryButton_->setCheckable(true);
    memoryButton_->setToolTip("Store a station on the next preset key");
    connect(memoryButton_, &QPushButton::clicked, this, &TAppDialog::ToggleMemoryMode);
    scanButton_ = MakeButton("S&can", cmd::kScanUp, this);
    scanButton_->setCheckable(true);
    scanButton_->setToolTip(kScanTip);
    connect(scanButton_, &QPushButton::clicked, this, [this] {
        scanButton_->setChecked(tuner_->scanning());
        tuner_->Scan(!ShiftHeld());
    });
    muteButton_ = MakeButton("M&ute", cmd::kMuteButton, this);
    muteButton_->setCheckable(true);
    muteButton_->setToolTip("Mute or unmute the radio (Home)");
    connect(muteButton_, &QPushButton::clicked, this, [this] {
        muteButton_->setChecked(settings_.radioPanel.muted);
        ToggleMute();
    });
    recButton_ = MakeButton("&Rec", cmd::kRecord, this);
    recButton_->setToolTip("Record the radio (Alt+R)");
    connect(recButton_, &QPushButton::clicked, this, [this] { StartEvent(-1); });
    stopButton_ = MakeButton("S&top", cmd::kStopRecording, this);
    stopButton_->setToolTip("Stop recording (Ctrl+Alt+S)");
    connect(stopButton_, &QPushButton::clicked, this, [this] { StopEvent(-1); });

    tuneUp_ = MakeButton("T+", cmd::kTuneUp, this);
    tuneUp_->setToolTip("increase Frequency");
    tuneDown_ = MakeButton("T-", cmd::kTuneDown, this);
    tuneDown_->setToolTip("decrease Frequency");
    for (QPushButton* button : {tuneUp_, tuneDown_}) {
        const bool up = button == tuneUp_;
        button->setFixedWidth(34);
        connect(button, &QPushButton::pressed, this, [this, up] { StartTuneRepeat(up); });
        connect(button, &QPushButton::released, this, &TAppDialog::StopTuneRepeat);
    }

    powerButton_ = MakeButton("P&wr", cmd::kPower, this);
    powerButton_->setToolTip("Power: hide the radio, or turn it off");
    connect(powerButton_, &QPushButton::clicked, this, &TAppDialog::Power);
    modeButton_ = MakeButton("Mo&de", cmd::kMode, this);
    modeButton_->setToolTip("Preferences");
    connect(modeButton_, &QPushButton::clicked, this, &TAppDialog::preferencesRequested);
    helpButton_ = MakeButton("?", cmd::kHelpButton, this);
    helpButton_->setToolTip("Help");
    connect(helpButton_, &QPushButton::clicked, this,
            [this] { PostMessage(window(), WM_COMMAND, cmd::kHelpContents); });
    // F1: the radio tab's own page ("?" opens the contents).
    auto* f1 = new QShortcut(QKeySequence::HelpContents, this);
    f1->setContext(Qt::WidgetWithChildrenShortcut);
    connect(f1, &QShortcut::activated, this, [] { OpenHelpTopic("Radio_tab.html"); });

    volume_ = new QSlider(Qt::Vertical, this);
    volume_->setObjectName("Volume");
    // Its value is the volume in percent (100 % at the top), which is what
    // screen readers read out; the tuner counts the thumb's position from
    // the top.
    volume_->setRange(0, 100);
    volume_->setPageStep(10);
    volume_->setFocusPolicy(Qt::TabFocus);
    volume_->setToolTip("Increase Volume / decrease Volume");
    volume_->setAccessibleName("Radio volume");
    // Its arrows are its own; Home, PgUp and PgDn stay the radio's keys.
    volume_->setProperty(kRadioKeysProperty, true);
    connect(volume_, &QSlider::valueChanged, this,
            [this](int volume) { tuner_->SetSliderPosition(100 - volume); });

    meter_ = new SMeter(this);
    meter_->setObjectName("LevelMeter");
    accessible::InstallMeterAccessibility();
    meter_->setFixedWidth(12);
    meter_->SetRange(0, 100);
    meter_->SetLed(5, 80);
    // Its place stays reserved while it is off: the window is fitted to the
    // panel once, and a meter that appears later must not push the face out.
    QSizePolicy meterPolicy = meter_->sizePolicy();
    meterPolicy.setRetainSizeWhenHidden(true);
    meter_->setSizePolicy(meterPolicy);

    statusLine_ = new StatusLine(this);
    statusLine_->setObjectName("Status");

    // Bezel around the read-out.
    auto* bezel = new QFrame(this);
    bezel->setObjectName("Bezel");
    bezel->setFrameShape(QFrame::Panel);
    bezel->setFrameShadow(QFrame::Sunken);
    bezel->setAutoFillBackground(true);
    QPalette dark = bezel->palette();
    dark.setColor(QPalette::Window, QColor(0x14, 0x21, 0x1a));
    bezel->setPalette(dark);
    auto* bezelLayout = new QHBoxLayout(bezel);
    bezelLayout->setContentsMargins(6, 5, 6, 5);
    bezelLayout->addWidget(display_, 0, Qt::AlignCenter);

    auto* left = new QVBoxLayout;
    left->setSpacing(4);
    left->addWidget(bezel);
    auto* keys = new QHBoxLayout;
    keys->setSpacing(3);
    keys->addWidget(powerButton_);
    keys->addWidget(modeButton_);
    keys->addWidget(helpButton_);
    helpButton_->setFixedWidth(26);
    left->addStretch();
    left->addLayout(keys);

    auto* middle = new QVBoxLayout;
    middle->setSpacing(4);
    middle->addWidget(presets_);
    auto* row = new QHBoxLayout;
    row->setSpacing(3);
    for (QPushButton* button : {bankButton_, memoryButton_, scanButton_, muteButton_}) {
        row->addWidget(button);
    }
    // Rec and Stop share one place; only one of them shows.
    auto* record = new QWidget(this);
    record->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    recordPlace_ = new QStackedLayout(record);
    recordPlace_->setContentsMargins(0, 0, 0, 0);
    recordPlace_->addWidget(recButton_);
    recordPlace_->addWidget(stopButton_);
    row->addWidget(record);
    middle->addLayout(row);

    auto* tune = new QVBoxLayout;
    tune->setSpacing(3);
    tune->addWidget(tuneUp_);
    tune->addWidget(tuneDown_);
    tune->addStretch();

    auto* face = new QHBoxLayout;
    face->setSpacing(8);
    face->addLayout(left);
    face->addLayout(middle, 1);
    face->addLayout(tune);
    face->addWidget(volume_);
    face->addWidget(meter_);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 6);
    outer->setSpacing(5);
    outer->addLayout(face);
    // The window is as tall as its tallest tab: the face stays together at
    // the top and the status line at the bottom, as on a hardware radio.
    outer->addStretch(1);
    outer->addWidget(statusLine_);

    meter_->Show(false);
}

SRadio& TAppDialog::device() const {
    return tuner_->device();
}

bool TAppDialog::muted() const {
    return settings_.radioPanel.muted;
}

float TAppDialog::frequency() const {
    return settings_.radioPanel.frequency;
}

QString TAppDialog::RadioMenuText() const {
    return tuning::RadioMenuText(settings_.radioPanel.frequency);
}

void TAppDialog::SetStatusText(const QString& text) {
    statusLine_->SetText(text);
}

QString TAppDialog::statusText() const {
    return statusLine_->text();
}

void TAppDialog::SetUp() {
    // The mixer (and the sound system's configuration behind it) opens after
    // the window's first frame; mute and volume wait for it.
    tuner_->RecreateMixersLater();
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
    periodic_.start();
    const QSignalBlocker block(volume_);
    volume_->setValue(100 - tuner_->SliderPosition());
    meter_->Show(false);
    ShowMuted(settings_.radioPanel.muted);
}

void TAppDialog::ResetDevice() {
    tuner_->ResetDevice();
    RefreshBank();
    // A radio that cannot sense a station would scan round the band for ever.
    const bool canScan = device().SensesSignal();
    if (!canScan) {
        tuner_->StopScan();
    }
    scanButton_->setEnabled(canScan);
    scanButton_->setToolTip(canScan ? kScanTip : kNoScanTip);
}

void TAppDialog::ShowFrequencyToReaders() {
    display_->setAccessibleName(accessible::Frequency(settings_.radioPanel.frequency));
}

void TAppDialog::TuneTo(float frequency) {
    tuner_->TuneTo(frequency);
}

void TAppDialog::SetMute(bool radioMute, bool lineMute) {
    tuner_->SetMute(radioMute, lineMute);
}

void TAppDialog::ToggleMute() {
    tuner_->ToggleMute();
}

void TAppDialog::ShowMuted(bool muted) {
    muteButton_->setChecked(muted);
    PostMessage(window(), WM_STATE_ICONS);
}

void TAppDialog::SetRecording(bool recording) {
    recording_ = recording;
    recordPlace_->setCurrentWidget(recording ? stopButton_ : recButton_);
    meter_->Show(recording);
    PostMessage(window(), WM_STATE_ICONS);
}

void TAppDialog::ApplyActions() {
    const ActionBlock actions = actions_.Take();
    if (actions.flags & kActionFlagMute) {
        SetMute(true, true);
    } else if (actions.flags & kActionFlagUnmute) {
        SetMute(false, false);
    }
    if (actions.flags & kActionFlagRecord) {
        StartEvent(-1);
    } else if (actions.flags & kActionFlagStopRecord) {
        StopEvent(-1);
    }
    if (actions.flags & kActionFlagTune) {
        if (const auto frequency = FrequencyFromTuneText(actions.TuneText(), settings_.presets)) {
            TuneTo(*frequency);
        }
    }
}

void TAppDialog::StartEvent(int event) {
    recordControl_->StartEvent(event);
}

void TAppDialog::StopEvent(int event) {
    recordControl_->StopEvent(event);
}

void TAppDialog::SetArchivePanel(QWidget* archivePanel) {
    recordControl_->SetArchivePanel(archivePanel);
}

bool TAppDialog::AskTuner() {
    return tuner_->AskTuner();
}

SMixer* TAppDialog::inputMixer() const {
    return tuner_->inputMixer();
}

void TAppDialog::ApplyExitRule(ExitMute mute) {
    const bool mutedBefore = settings_.radioPanel.muted;
    switch (mute) {
        case ExitMute::Mute:
            SetMute(true, true);
            break;
        case ExitMute::Ask:
            if (!device().IsMuted() &&
                MessageBox("Turn off radio on program exit?", "Plumora", MessageIcon::Question,
                           MessageButtons::YesNo) == IDYES) {
                SetMute(true, true);
            }
            break;
        case ExitMute::None:
            break;
    }
    settings_.radioPanel.muted = mutedBefore;
}

int TAppDialog::AnswerTunerRequest(int group) {
    const bool recordingNow = recording_ || recordControl_->starting();
    return ::AnswerTunerRequest(group, settings_.radio.vendor, recordingNow,
                                settings_.radioPanel.muted, [this] { ToggleMute(); });
}

void TAppDialog::ChangeBank(bool previous) {
    int& bank = settings_.radioPanel.bank;
    bank = previous ? presets::PreviousBank(bank, tuner_->hasAmBand())
                    : presets::NextBank(bank, tuner_->hasAmBand());
    RefreshBank();
}

void TAppDialog::RefreshBank() {
    int& bank = settings_.radioPanel.bank;
    bank = presets::ValidBank(bank, tuner_->hasAmBand());
    bankButton_->setText(presets::BankLabel(bank));
    presets_->Refresh(settings_.presets, bank);
    RefreshHighlight();
}

void TAppDialog::RefreshHighlight() {
    presets_->Highlight(presets::HighlightButton(settings_.presets, settings_.radioPanel.bank,
                                                 device().GetFrequency()));
}

void TAppDialog::PresetClicked(int button) {
    const int bank = settings_.radioPanel.bank;
    const int index = PresetTable::IndexOf(bank, button);
    if (!memoryMode_) {
        const float preset = settings_.presets.GetFrequency(index);
        if (preset >= PresetTable::kProgrammedThreshold) {
            TuneTo(preset);
        } else {
            RefreshHighlight();
        }
        return;
    }
    {
        TStationDialog dialog(settings_.presets, index, device().GetFrequency(), this);
        dialog.exec();
    }
    presets_->RefreshButton(settings_.presets, bank, button);
    memoryMode_ = false;
    memoryButton_->setChecked(false);
    RefreshHighlight();
    SaveAllSettings();
}

void TAppDialog::ToggleMemoryMode() {
    memoryMode_ = !memoryMode_;
    memoryButton_->setChecked(memoryMode_);
}

void TAppDialog::OpenFrequencyDialog() {
    tuner_->StopScan();
    {
        TFreqPopup dialog(device(), tuner_->hasAmBand(), this);
        dialog.exec();
    }
    TuneTo(device().GetFrequency());
}

void TAppDialog::SaveAllSettings() {
    std::optional<QPoint> position;
    if (window() != this) {
        position = window()->pos();
    }
    settings_store::SaveAll(settings_, position, QCoreApplication::applicationFilePath());
}

void TAppDialog::StartTuneRepeat(bool up) {
    repeatUp_ = up;
    repeatFine_ = ShiftHeld();
    tuner_->Step(repeatFine_, repeatUp_);
    tuneRepeat_.start();
}

void TAppDialog::StopTuneRepeat() {
    tuneRepeat_.stop();
}

void TAppDialog::Power() {
    powerButton_->setDown(false);
    if (powerHandler_) {
        powerHandler_();
    } else {
        window()->close();
    }
}

void TAppDialog::Command(unsigned id) {
    switch (id) {
        case cmd::kTuneUp:
            tuner_->Step(false, true);
            break;
        case cmd::kTuneDown:
            tuner_->Step(ShiftHeld(), false);
            break;
        case cmd::kTuneDownKey:
            tuner_->Step(false, false);
            break;
        case cmd::kFineTuneUp:
            tuner_->Step(true, true);
            break;
        case cmd::kFineTuneDown:
            tuner_->Step(true, false);
            break;
        case cmd::kScanUp:
        case cmd::kScanDown:
            if (scanButton_->isEnabled()) {
                tuner_->Scan(id == cmd::kScanUp);
            }
            break;
        case cmd::kNextPreset:
            tuner_->TunePreset(true);
            break;
        case cmd::kPreviousPreset:
            tuner_->TunePreset(false);
            break;
        case cmd::kTuneDialog:
            OpenFrequencyDialog();
            break;
        case cmd::kVolumeUp:
            tuner_->VolumeUp();
            break;
        case cmd::kVolumeDown:
            tuner_->VolumeDown();
            break;
        case cmd::kMuteButton:
        case cmd::kRadioToggle:
            ToggleMute();
            break;
        case cmd::kBank:
            ChangeBank(ShiftHeld());
            break;
        case cmd::kMemory:
            ToggleMemoryMode();
            break;
        case cmd::kPower:
            Power();
            break;
        case cmd::kMode:
            emit preferencesRequested();
            break;
        case cmd::kHelpButton:
            PostMessage(window(), WM_COMMAND, cmd::kHelpContents);
            break;
        case cmd::kRecord:
            StartEvent(-1);
            break;
        case cmd::kStopRecording:
            StopEvent(-1);
            break;
        default:
            if (id >= cmd::kPresetFirst && id <= cmd::kPresetLast) {
                PresetClicked(static_cast<int>(id - cmd::kPresetFirst));
            } else {
                recordControl_->ForwardPlaybackCommand(id);
            }
            break;
    }
}

void TAppDialog::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Names fit or not by the buttons' final widths.
    presets_->Refresh(settings_.presets, settings_.radioPanel.bank);
    // Shown again (tab, tray, restored from the taskbar): the recording's
    // progress was not drawn while out of sight.
    recordControl_->RefreshProgress();
}

bool TAppDialog::event(QEvent* event) {
    if (const WindowMessage* m = AsWindowMessage(event)) {
        switch (m->msg) {
            case WM_COMMAND:
                Command(static_cast<unsigned>(m->wParam));
                break;
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
            case WM_PANEL_ACTIVATED:
                presets_->Refresh(settings_.presets, settings_.radioPanel.bank);
                RefreshHighlight();
                break;
            case WM_TUNE_UP:
                tuner_->Step(ShiftHeld(), true);
                break;
            case WM_TUNE_DOWN:
                tuner_->Step(ShiftHeld(), false);
                break;
            case WM_VOLUME_UP:
                tuner_->VolumeUp();
                break;
            case WM_VOLUME_DOWN:
                tuner_->VolumeDown();
                break;
            case WM_MIXER_CONTROL_CHANGE:
                if (tuner_->ReadBackVolume()) {
                    const QSignalBlocker block(volume_);
                    volume_->setValue(100 - tuner_->SliderPosition());
                }
                break;
            default:
                break;
        }
        return true;
    }
    return QWidget::event(event);
}
