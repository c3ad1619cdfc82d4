#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <map>

#include "app/action_block.h"
#include "app/command_ids.h"
#include "app/freq_popup.h"
#include "app/led_display.h"
#include "app/preset_buttons.h"
#include "app/radio_panel.h"
#include "app/record_control.h"
#include "app/settings_records.h"
#include "app/settings_store.h"
#include "app/station_dialog.h"
#include "app/tuner_control.h"
#include "audio/smeter.h"
#include "panel_fakes.h"
#include "platform/post_message.h"
#include "platform/window_messages.h"
#include "support/message_box_recorder.h"
#include "support/scoped_xdg_dirs.h"

namespace {

// Counts the paint events of every widget it is installed on.
class PaintCounter : public QObject {
  public:
    std::map<QObject*, int> paints;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints[watched];
        }
        return false;
    }
};

// Stands in for the frame: counts the state-icon messages the panel posts.
class FrameStandIn : public QWidget {
  public:
    int stateIcons = 0;
    std::vector<unsigned> commands;

  protected:
    bool event(QEvent* event) override {
        if (const WindowMessage* m = AsWindowMessage(event)) {
            if (m->msg == WM_STATE_ICONS) {
                ++stateIcons;
            } else if (m->msg == WM_COMMAND) {
                commands.push_back(static_cast<unsigned>(m->wParam));
            }
            return true;
        }
        return QWidget::event(event);
    }
};

class RadioPanelWidgetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        settings_.radio.vendor = 6;
        settings_.radio.startMute = kStartNoMute;
        settings_.sound.changeMixer = false;
    }
    void TearDown() override {
        TStationDialog::SetShowHook({});
        TFreqPopup::SetShowHook({});
    }

    void MakePanel(bool settle = true) {
        panel_.reset();
        frame_ = std::make_unique<FrameStandIn>();
        panel_ = std::make_unique<TAppDialog>(
            settings_, actions_, false,
            [this](int, int, const QString&, const RadioCreateOptions&) {
                return std::make_unique<RecordingRadio>(log_, hasAm_, stations_, stepsVolume_);
            },
            frame_.get());
        if (mixer_) {
            panel_->tuner().SetMixerFactory(
                [this](SMixer::Kind kind, const std::string& name, QObject* window) {
                    if (kind == SMixer::Kind::kWaveOut || !mixer_) {
                        return std::unique_ptr<SMixer>();
                    }
                    return std::make_unique<SMixer>(
                        kind, name, SMixer::DeviceLister(),
                        [this](const std::string&) {
                            return std::unique_ptr<MixerBackend>(new MixerView(*mixer_));
                        },
                        window);
                });
        }
        panel_->SetUp();
        frame_->resize(panel_->sizeHint());
        frame_->show();
        if (settle) {
            QCoreApplication::processEvents();
        }
    }

    void Click(QPushButton* button, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(button, Qt::LeftButton, modifiers);
    }
    void Post(unsigned command) {
        PostMessage(panel_.get(), WM_COMMAND, command);
        QCoreApplication::processEvents();
    }

    ScopedXdgDirs dirs_;
    SettingsRecords settings_;
    ActionInbox actions_;
    RecordingRadio::Log log_;
    bool hasAm_ = false;
    bool stepsVolume_ = false;
    std::vector<float> stations_;
    std::unique_ptr<FakePanelMixer> mixer_;
    std::unique_ptr<FrameStandIn> frame_;
    std::unique_ptr<TAppDialog> panel_;
};

TEST_F(RadioPanelWidgetTest, PresetClicksTuneAndBanksCycleByClicks) {
    settings_.presets.Set(PresetTable::IndexOf(1, 2), 101.3f, "Coast");
    settings_.presets.Set(PresetTable::IndexOf(4, 0), 95.0f, "Four");
    MakePanel();
    TPresetButtons* presets = panel_->presetButtons();
    EXPECT_EQ(presets->button(2)->text(), "Coast");
    EXPECT_EQ(presets->button(2)->toolTip(), "Coast");

    Click(presets->button(2));
    EXPECT_FLOAT_EQ(panel_->frequency(), 101.3f);
    EXPECT_FLOAT_EQ(log_.tuned.back(), 101.3f);
    EXPECT_EQ(panel_->display()->images(), (std::vector<int>{911, 910, 911, kLedPoint, 913, 910}));
    EXPECT_TRUE(presets->button(2)->isChecked());
    EXPECT_FALSE(presets->button(0)->isChecked());

    const size_t tunes = log_.tuned.size();
    Click(presets->button(5));  // empty: only the highlight
    EXPECT_EQ(log_.tuned.size(), tunes);
    EXPECT_FALSE(presets->button(5)->isChecked());
    EXPECT_TRUE(presets->button(2)->isChecked());

    Click(panel_->bankButton(), Qt::ShiftModifier);
    EXPECT_EQ(settings_.radioPanel.bank, 4) << "Shift on FM1 goes to FM4 without AM";
    EXPECT_EQ(panel_->bankButton()->text(), "F&M4");
    EXPECT_EQ(presets->button(0)->text(), "Four");
    EXPECT_FALSE(presets->button(2)->isChecked()) << "the new bank has no match";
    Click(panel_->bankButton());
    EXPECT_EQ(settings_.radioPanel.bank, 1) << "no AM banks on this device";
    EXPECT_EQ(panel_->bankButton()->text(), "F&M1");
}

TEST_F(RadioPanelWidgetTest, AmDeviceReachesAmBanksWithRedTexts) {
    hasAm_ = true;
    settings_.presets.Set(PresetTable::IndexOf(5, 1), 0.54f, "");
    MakePanel();
    for (int i = 0; i < 4; ++i) {
        Click(panel_->bankButton());
    }
    EXPECT_EQ(panel_->bankButton()->text(), "A&M1");
    QPushButton* button = panel_->presetButtons()->button(1);
    EXPECT_EQ(button->text(), "54.0");
    EXPECT_EQ(button->palette().color(QPalette::ButtonText), QColor(255, 0, 0));
    Click(button);
    EXPECT_FLOAT_EQ(log_.tuned.back(), 0.54f);
    EXPECT_EQ(panel_->statusText(), "AM");
    EXPECT_EQ(panel_->display()->images(),
              (std::vector<int>{kLedBlank, 915, 914, kLedPoint, 910, 910}));
    EXPECT_EQ(panel_->RadioMenuText(), "Radio 54.0 AM\tHome");
}

TEST_F(RadioPanelWidgetTest, MemoryModeStoresThroughTheStationDialog) {
    MakePanel();
    panel_->TuneTo(99.5f);
    MessageBoxRecorder messages(IDOK);

    // OK after one refused entry.
    TStationDialog::SetShowHook([&](TStationDialog& dialog) {
        EXPECT_EQ(dialog.frequencyEdit()->text(), "99.50");
        dialog.frequencyEdit()->setText("0.3");
        dialog.accept();
        EXPECT_TRUE(dialog.isVisible()) << "out of range keeps the dialog open";
        dialog.frequencyEdit()->clear();
        QTest::keyClicks(dialog.frequencyEdit(), "54x AM");
        EXPECT_EQ(dialog.frequencyEdit()->text(), "54 AM") << "other characters are refused";
        dialog.frequencyEdit()->setText("101.3");
        dialog.nameEdit()->setText(QString(50, 'n'));
        dialog.accept();
    });
    Click(panel_->memoryButton());
    EXPECT_TRUE(panel_->memoryMode());
    Click(panel_->presetButtons()->button(3));
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].text, "Frequency must be between 87.0 and 108.0");
    EXPECT_EQ(messages.calls()[0].caption, "Station Frequency");
    const int index = PresetTable::IndexOf(1, 3);
    EXPECT_FLOAT_EQ(settings_.presets.GetFrequency(index), 101.3f);
    EXPECT_EQ(settings_.presets.GetName(index), QString(43, 'n')) << "cut to the field's limit";
    EXPECT_FALSE(panel_->memoryMode());
    EXPECT_FALSE(panel_->memoryButton()->isChecked());
    EXPECT_FLOAT_EQ(panel_->frequency(), 99.5f) << "storing does not tune";
    {
        SettingsRecords stored;
        settings_store::LoadAll(stored, QSize(1000, 800));
        EXPECT_FLOAT_EQ(stored.presets.GetFrequency(index), 101.3f) << "all settings saved";
    }

    // Cancel changes nothing but still ends memory mode.
    TStationDialog::SetShowHook([](TStationDialog& dialog) {
        dialog.frequencyEdit()->setText("88.0");
        dialog.reject();
    });
    Click(panel_->memoryButton());
    Click(panel_->presetButtons()->button(3));
    EXPECT_FLOAT_EQ(settings_.presets.GetFrequency(index), 101.3f);
    EXPECT_FALSE(panel_->memoryMode());

    // Delete empties the preset and its button.
    TStationDialog::SetShowHook([](TStationDialog& dialog) { dialog.deleteButton()->click(); });
    Click(panel_->memoryButton());
    Click(panel_->presetButtons()->button(3));
    EXPECT_FLOAT_EQ(settings_.presets.GetFrequency(index), 0.0f);
    EXPECT_EQ(panel_->presetButtons()->button(3)->text(), "");
    SettingsRecords stored;
    settings_store::LoadAll(stored, QSize(1000, 800));
    EXPECT_FLOAT_EQ(stored.presets.GetFrequency(index), 0.0f);
}

TEST_F(RadioPanelWidgetTest, HeldTuneKeyRepeatsAndShiftStepsFine) {
    MakePanel();
    panel_->TuneTo(90.0f);
    const size_t before = log_.tuned.size();
    QTest::mousePress(panel_->tuneUpButton(), Qt::LeftButton);
    EXPECT_EQ(log_.tuned.size(), before + 1) << "the first step comes with the press";
    EXPECT_NEAR(log_.tuned.back(), 90.1f, 1e-4);
    QTest::qWait(450);
    QTest::mouseRelease(panel_->tuneUpButton(), Qt::LeftButton);
    const size_t steps = log_.tuned.size() - before;
    EXPECT_GE(steps, 2u) << "repeats every 200 ms";
    EXPECT_LE(steps, 3u);
    EXPECT_NEAR(panel_->frequency(), 90.0f + 0.1f * static_cast<float>(steps), 1e-3);
    QTest::qWait(300);
    EXPECT_EQ(log_.tuned.size() - before, steps) << "no step after the release";

    const float from = panel_->frequency();
    QTest::mousePress(panel_->tuneDownButton(), Qt::LeftButton, Qt::ShiftModifier);
    QTest::mouseRelease(panel_->tuneDownButton(), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_NEAR(panel_->frequency(), from - 0.01f, 1e-4);

    Post(cmd::kTuneUp);
    EXPECT_NEAR(panel_->frequency(), 90.3f - 0.1f * (3 - static_cast<float>(steps)), 0.02f);
    Post(cmd::kFineTuneUp);
    Post(cmd::kTuneDownKey);
    EXPECT_NEAR(log_.tuned.back(), panel_->frequency(), 1e-6);
}

TEST_F(RadioPanelWidgetTest, ScanWrapsAndStopsAtAStation) {
    stations_ = {87.1f};
    MakePanel();
    panel_->TuneTo(107.9f);
    QSignalSpy ticks(panel_.get(), &TAppDialog::scheduleTick);
    Click(panel_->scanButton());
    EXPECT_TRUE(panel_->scanButton()->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(!panel_->tuner().scanning(), 20000);
    EXPECT_FALSE(panel_->scanButton()->isChecked());
    EXPECT_NEAR(panel_->frequency(), 87.1f, 0.02f);
    EXPECT_NE(std::find(log_.tuned.begin(), log_.tuned.end(), 87.0f), log_.tuned.end())
        << "wrapped from the top of the band";
    EXPECT_GE(ticks.count(), 5) << "every scan step checks the schedule";

    // From a station, a scan first leaves it; a second press stops without a step.
    Click(panel_->scanButton(), Qt::ShiftModifier);
    ASSERT_TRUE(panel_->tuner().scanning());
    const size_t tunes = log_.tuned.size();
    Post(cmd::kScanUp);
    EXPECT_FALSE(panel_->tuner().scanning());
    EXPECT_EQ(log_.tuned.size(), tunes);
    EXPECT_FLOAT_EQ(panel_->frequency(), 108.1f) << "left the station downwards and wrapped";

    // A radio that cannot sense stations does not scan, and says why.
    stations_.clear();
    MakePanel();
    EXPECT_FALSE(panel_->scanButton()->isEnabled());
    EXPECT_EQ(panel_->scanButton()->toolTip(),
              "This radio cannot sense stations, so it cannot scan.");
    Post(cmd::kScanUp);
    EXPECT_FALSE(panel_->tuner().scanning());
}

TEST_F(RadioPanelWidgetTest, NextAndPreviousPresetCommands) {
    settings_.presets.Set(PresetTable::IndexOf(1, 1), 92.0f, "");
    settings_.presets.Set(PresetTable::IndexOf(1, 6), 104.0f, "");
    MakePanel();
    panel_->TuneTo(100.0f);
    Post(cmd::kNextPreset);
    EXPECT_FLOAT_EQ(panel_->frequency(), 92.0f);
    Post(cmd::kNextPreset);
    EXPECT_FLOAT_EQ(panel_->frequency(), 104.0f);
    Post(cmd::kPreviousPreset);
    EXPECT_FLOAT_EQ(panel_->frequency(), 92.0f);
    EXPECT_TRUE(panel_->presetButtons()->button(1)->isChecked());
}

TEST_F(RadioPanelWidgetTest, SliderMovesTheLineAndAnOutsideChangeMovesTheSlider) {
    settings_.sound.changeMixer = true;
    settings_.sound.mixerInput = "Line-In";
    settings_.volume = 50;
    mixer_ = std::make_unique<FakePanelMixer>(1);
    mixer_->AddPlaybackLine({"PCM", "PCM", MixerLineType::kPlaybackMix}, 255, 255);
    mixer_->AddPlaybackLine({"Line", "Line", MixerLineType::kLineIn}, 255, 0);
    FakePanelMixer* mixer = mixer_.get();
    MakePanel();
    ASSERT_NE(panel_->tuner().inputMixer(), nullptr);
    EXPECT_EQ(panel_->volumeSlider()->value(), 50);

    panel_->volumeSlider()->setValue(70);  // 70 %
    EXPECT_EQ(settings_.volume, 70);
    EXPECT_EQ(mixer->playbackVolumes[1].value, 255 * (70 * 127 / 100) / 127);

    mixer->ChangeFromOutside(1, 51);  // 20 % of the range: 25 of 127
    QTRY_COMPARE_WITH_TIMEOUT(panel_->volumeSlider()->value(), 25 * 100 / 127, 10000);
    EXPECT_EQ(settings_.volume, 19);

    Post(cmd::kVolumeUp);
    EXPECT_EQ(mixer->playbackVolumes[1].value, 255 * 35 / 127) << "25 + 10 of 127";
    Post(cmd::kVolumeDown);
    const int level = 70 * 127 / 255;  // read back on the 0..127 scale
    EXPECT_EQ(mixer->playbackVolumes[1].value, 255 * (level * 90 / 100) / 127);

    // Muting reaches the tuner line when there is no output mixer.
    Click(panel_->muteButton());
    EXPECT_TRUE(mixer->playbackMutes[1]);
    EXPECT_TRUE(panel_->muteButton()->isChecked());

    // A mixer that goes away leaves the panel working.
    settings_.sound.changeMixer = false;
    PostMessage(panel_.get(), WM_RADIO_RESET);
    QCoreApplication::processEvents();
    EXPECT_EQ(panel_->tuner().inputMixer(), nullptr);
    Post(cmd::kVolumeUp);
    panel_->volumeSlider()->setValue(90);
    EXPECT_EQ(settings_.volume, 90);
}

TEST_F(RadioPanelWidgetTest, MuteAndVolumeAskedBeforeTheMixerOpensReachItWhenItOpens) {
    settings_.sound.changeMixer = true;
    settings_.sound.mixerInput = "Line-In";
    mixer_ = std::make_unique<FakePanelMixer>(1);
    mixer_->AddPlaybackLine({"Line", "Line", MixerLineType::kLineIn}, 255, 0);
    FakePanelMixer* mixer = mixer_.get();
    MakePanel(false);
    EXPECT_EQ(panel_->tuner().inputMixer(), nullptr) << "opens from the event loop";
    panel_->volumeSlider()->setValue(70);
    panel_->tuner().VolumeUp();
    Click(panel_->muteButton());
    EXPECT_FALSE(mixer->playbackMutes[0]);
    QCoreApplication::processEvents();
    ASSERT_NE(panel_->tuner().inputMixer(), nullptr);
    EXPECT_EQ(mixer->playbackVolumes[0].value, 255 * ((255 * 88 / 127) * 127 / 255 + 10) / 127)
        << "70 % (88 of 127), then one step up, in that order";
    EXPECT_TRUE(mixer->playbackMutes[0]);
}

TEST_F(RadioPanelWidgetTest, VolumeKeysGoToADeviceThatStepsItself) {
    stepsVolume_ = true;
    settings_.sound.changeMixer = true;
    mixer_ = std::make_unique<FakePanelMixer>(1);
    mixer_->AddPlaybackLine({"Line", "Line", MixerLineType::kLineIn}, 100, 40);
    FakePanelMixer* mixer = mixer_.get();
    MakePanel();
    PostMessage(panel_.get(), WM_VOLUME_UP);
    Post(cmd::kVolumeDown);
    EXPECT_EQ(log_.volumeSteps, 2);
    EXPECT_EQ(mixer->playbackVolumes[0].value, 40) << "the mixer line stays";
}

TEST_F(RadioPanelWidgetTest, MuteReportsToTheFrameAndTheTvApplicationCanRefuse) {
    MakePanel();
    const int before = frame_->stateIcons;
    Click(panel_->muteButton());
    QCoreApplication::processEvents();
    EXPECT_TRUE(panel_->muted());
    EXPECT_TRUE(panel_->device().IsMuted());
    EXPECT_TRUE(panel_->muteButton()->isChecked());
    EXPECT_EQ(frame_->stateIcons, before + 1);
    Post(cmd::kMuteButton);
    QCoreApplication::processEvents();
    EXPECT_FALSE(panel_->muted());
    EXPECT_EQ(frame_->stateIcons, before + 2);

    settings_.radio.vendor = 15;  // shares its tuner with the TV application
    settings_.radio.startMute = kStartMute;
    MakePanel();
    FakeTvApplication tv(kTunerRefused);
    ASSERT_TRUE(tv.listening());
    const int icons = frame_->stateIcons;
    Click(panel_->muteButton());
    QCoreApplication::processEvents();
    EXPECT_EQ(tv.questions(), 1u);
    EXPECT_TRUE(panel_->muted()) << "the TV application keeps the tuner";
    EXPECT_TRUE(panel_->device().IsMuted());
    EXPECT_TRUE(panel_->muteButton()->isChecked());
    EXPECT_EQ(frame_->stateIcons, icons) << "nothing changed";
    Post(cmd::kRadioToggle);
    EXPECT_EQ(tv.questions(), 2u);
    EXPECT_TRUE(panel_->muted());
}

TEST_F(RadioPanelWidgetTest, FrequencyDialogTunesThePanel) {
    MakePanel();
    TFreqPopup::SetShowHook([](TFreqPopup& dialog) {
        EXPECT_FALSE(dialog.amMode());
        EXPECT_EQ(dialog.bandBox()->count(), 1) << "no AM on this device";
        dialog.frequencyEdit()->clear();
        QTest::keyClicks(dialog.frequencyEdit(), "1");
        QTest::keyClicks(dialog.frequencyEdit(), "01.3");
        EXPECT_EQ(dialog.slider()->value(), 10130);
        dialog.accept();
    });
    QTest::mouseClick(panel_->display(), Qt::LeftButton);
    EXPECT_FLOAT_EQ(panel_->frequency(), 101.3f);
    EXPECT_EQ(panel_->display()->images(), (std::vector<int>{911, 910, 911, kLedPoint, 913, 910}));
    EXPECT_EQ(panel_->display()->accessibleName(), "101.3 MHz") << "what a screen reader says";
    EXPECT_EQ(std::count_if(log_.tuned.begin(), log_.tuned.end(),
                            [](float f) { return f > 0.0f && f < 50.0f; }),
              0)
        << "partial text such as 1 never reaches the device";

    hasAm_ = true;
    settings_.radio.vendor = 4;  // a new device with AM
    PostMessage(panel_.get(), WM_RADIO_RESET);
    QCoreApplication::processEvents();
    TFreqPopup::SetShowHook([](TFreqPopup& dialog) {
        dialog.bandBox()->setCurrentText("AM");
        emit dialog.bandBox()->activated(1);
        EXPECT_TRUE(dialog.amMode());
        EXPECT_EQ(dialog.slider()->minimum(), 5200);
        EXPECT_EQ(dialog.frequencyEdit()->text(), "89.0 AM");
        dialog.accept();
    });
    Post(cmd::kTuneDialog);
    EXPECT_FLOAT_EQ(panel_->frequency(), 0.89f);
    EXPECT_EQ(panel_->statusText(), "AM");
}

TEST_F(RadioPanelWidgetTest, KeysOfTheFaceReachTheirReceivers) {
    MakePanel();
    QSignalSpy preferences(panel_.get(), &TAppDialog::preferencesRequested);
    Click(panel_->modeButton());
    EXPECT_EQ(preferences.count(), 1);
    Click(panel_->helpButton());
    QCoreApplication::processEvents();
    EXPECT_EQ(frame_->commands, std::vector<unsigned>{cmd::kHelpContents});

    EXPECT_TRUE(panel_->recButton()->isVisible());
    EXPECT_FALSE(panel_->stopButton()->isVisible());
    EXPECT_FALSE(panel_->levelMeter()->isVisible()) << "off until a recording runs";
    EXPECT_FALSE(panel_->recording());
    panel_->SetRecording(true);
    EXPECT_FALSE(panel_->recButton()->isVisible());
    EXPECT_TRUE(panel_->stopButton()->isVisible());
    EXPECT_EQ(panel_->recButton()->geometry().topLeft(), panel_->stopButton()->geometry().topLeft())
        << "one place for both";
    EXPECT_TRUE(panel_->levelMeter()->isVisible());

    QSignalSpy ticks(panel_.get(), &TAppDialog::scheduleTick);
    EXPECT_TRUE(ticks.wait(10000)) << "the periodic timer checks the schedule";

    Click(panel_->powerButton());
    QCoreApplication::processEvents();
    EXPECT_FALSE(frame_->isVisible()) << "without a tray icon Pwr closes the window";
}

// Every key's label fits at 100 % and at 200 %; with PLUMORA_GRAB_DIR set
// the face is also written there as a picture.
TEST_F(RadioPanelWidgetTest, LabelsFitOnTheFace) {
    settings_.presets.Set(0, 101.3f, "Coast FM");
    settings_.presets.Set(1, 89.9f, "A name much too long for a key");
    MakePanel();
    EXPECT_EQ(panel_->presetButtons()->button(0)->accessibleName(),
              "preset 1: Coast FM, 101.3 MHz");
    for (QPushButton* button : panel_->findChildren<QPushButton*>()) {
        if (!button->isVisible() || button->text().isEmpty()) {
            continue;
        }
        const int needed =
            button->fontMetrics().horizontalAdvance(QString(button->text()).remove('&'));
        EXPECT_LE(needed, button->width() - 4) << button->text().toStdString();
    }
    EXPECT_EQ(panel_->presetButtons()->button(1)->text(), "89.9");
    EXPECT_EQ(panel_->presetButtons()->button(1)->toolTip(), "A name much too long for a key");
    const QString folder = qEnvironmentVariable("PLUMORA_GRAB_DIR");
    if (!folder.isEmpty()) {
        panel_->TuneTo(101.3f);
        panel_->SetStatusText("Coast FM");
        panel_->grab().save(QDir(folder).filePath(
            QString("radio_panel_%1.png").arg(qRound(panel_->devicePixelRatioF() * 100))));
    }
}

// The level meter keeps its place while it is off, so switching it on for
// a recording neither widens the panel nor pushes it out of its window.
TEST_F(RadioPanelWidgetTest, LevelMeterFitsWhenARecordingSwitchesItOn) {
    MakePanel();
    const QSize before = panel_->sizeHint();
    panel_->levelMeter()->Show(true);
    panel_->levelMeter()->SetValues(80, 60);
    QCoreApplication::processEvents();
    EXPECT_EQ(panel_->sizeHint(), before);
    const QRect meter(panel_->levelMeter()->mapTo(panel_.get(), QPoint(0, 0)),
                      panel_->levelMeter()->size());
    EXPECT_TRUE(panel_->rect().contains(meter)) << meter.x() << "+" << meter.width();
    EXPECT_GT(meter.width(), 0);
}

// A second of recording repaints the status line once and the meter bars
// whose lit LEDs changed, and nothing else of the window; hidden, the window
// gets no paint at all and catches up when shown again. With PLUMORA_GRAB_DIR
// set the recording panel is written there as a picture.
TEST_F(RadioPanelWidgetTest, RecordingProgressRepaintsOnlyWhatChanged) {
    MakePanel();
    panel_->SetRecording(true);
    RecordProgress& progress = panel_->recordControl()->progress();
    progress.Begin("News", WaveFormat::Pcm(2, 44100, 16));
    constexpr int kRate = 44100 * 4;
    const auto stereo = [](int16_t left, int16_t right) {
        const int16_t frame[2] = {left, right};
        return QByteArray(reinterpret_cast<const char*>(frame), sizeof frame);
    };
    progress.Report(kRate / 2, kRate, stereo(0, 0));  // the meter turns to two bars
    PaintCounter counter;
    QList<QWidget*> widgets = frame_->findChildren<QWidget*>();
    widgets.push_back(frame_.get());
    for (QWidget* widget : widgets) {
        widget->installEventFilter(&counter);
    }
    QTest::qWait(50);
    counter.paints.clear();

    // Five reports a second; the first two levels light the same LEDs.
    const struct {
        int64_t bytes;
        QByteArray buffer;
    } second[] = {{kRate + 100, stereo(3000, 3000)},
                  {kRate + 200, stereo(3100, 3000)},
                  {kRate + 300, stereo(30000, 3000)},
                  {kRate + 400, stereo(30000, 3000)},
                  {kRate + 500, stereo(30000, 3000)}};
    for (const auto& report : second) {
        progress.Report(report.bytes, kRate, report.buffer);
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    }
    QTest::qWait(50);
    QWidget* status = panel_->findChild<QWidget*>("Status");
    SMeter* meter = panel_->levelMeter();
    std::map<QObject*, int> expected = {{status, 1}, {&meter->Left(), 2}, {&meter->Right(), 1}};
    EXPECT_EQ(counter.paints, expected)
        << "the status once, a bar when its lit LEDs change; nothing behind them";
    EXPECT_EQ(panel_->statusText().toStdString(), "News 0.168MB  0:01");

    frame_->hide();
    counter.paints.clear();
    progress.Report(2 * kRate, kRate, stereo(100, 100));
    QTest::qWait(50);
    EXPECT_TRUE(counter.paints.empty()) << "a hidden window gets no paint";
    EXPECT_EQ(panel_->statusText().toStdString(), "News 0.168MB  0:01");
    frame_->show();
    EXPECT_EQ(panel_->statusText().toStdString(), "News 0.336MB  0:02")
        << "brought up to date when shown";
    EXPECT_EQ(meter->Left().value(), meter->Right().value());
    const QString folder = qEnvironmentVariable("PLUMORA_GRAB_DIR");
    if (!folder.isEmpty()) {
        progress.Report(int64_t{3909} * kRate, kRate, stereo(20000, 9000));
        panel_->grab().save(
            QDir(folder).filePath(QString("radio_panel_recording_%1.png")
                                      .arg(qRound(panel_->devicePixelRatioF() * 100))));
    }
}

}  // namespace
