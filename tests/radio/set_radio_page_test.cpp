#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QRadioButton>
#include <QTimer>

#include "prefs/sound_device_settings.h"
#include "radio/radio_settings.h"
#include "radio/radio_wizard.h"
#include "support/message_box_recorder.h"

namespace {

TunerLister TwoTuners() {
    return [] { return QStringList{"Tuner One", "Tuner Two"}; };
}

SoundDeviceSources NoSound() {
    return {[](WaveDirection) { return std::vector<WaveDeviceCaps>{}; },
            [](const std::string&) { return std::unique_ptr<MixerBackend>(); }};
}

void ChooseModel(TSetRadio& page, int id) {
    auto* models = page.findChild<QListWidget*>("models");
    for (int i = 0; i < models->count(); ++i) {
        if (models->item(i)->data(Qt::UserRole).toInt() == id) {
            models->setCurrentRow(i);
            return;
        }
    }
    FAIL() << "no model " << id;
}

TEST(RadioPage, FreshInstallationSelectsNoRadioAndTheDefaultRules) {
    RadioSettings settings;
    TSetRadio page(settings, 0, TwoTuners());
    auto* models = page.findChild<QListWidget*>("models");
    EXPECT_EQ(models->count(), 25);
    EXPECT_EQ(models->currentItem()->text(), "<no radio>");
    for (int i = 1; i < models->count(); ++i) {
        EXPECT_LE(models->item(i - 1)->text().compare(models->item(i)->text(), Qt::CaseInsensitive),
                  0);
    }
    EXPECT_EQ(page.findChild<QComboBox*>("ports")->currentText(), "none");
    EXPECT_TRUE(page.findChild<QRadioButton*>("exitMute")->isChecked());
    EXPECT_TRUE(page.findChild<QRadioButton*>("startMute")->isChecked());
}

TEST(RadioPage, PortListsFollowTheModelAndTheStoredPort) {
    RadioSettings configured;
    configured.vendor = 0;
    configured.portAddress = 0x20C;
    PortListFill fill = FillPortList(0, configured, {});
    ASSERT_EQ(fill.entries.size(), 2u);
    EXPECT_EQ(fill.entries[fill.selected].text, "Alternate (20c hex)");

    configured.portAddress = kNoPortValue;  // "-1" or missing: the first entry
    EXPECT_EQ(FillPortList(0, configured, {}).selected, 0);

    // A stored port 0 of a model that is not a TV tuner picks the last tuner.
    configured.portAddress = 0;
    fill = FillPortList(15, configured, {"Tuner One", "Tuner Two"});
    EXPECT_EQ(fill.entries[fill.selected].text, "Tuner Two");

    // A configured TV tuner model finds its tuner by the stored text.
    configured.vendor = 15;
    configured.portString = "tuner one";
    fill = FillPortList(15, configured, {"Tuner One", "Tuner Two"});
    EXPECT_EQ(fill.entries[fill.selected].text, "Tuner One");
}

TEST(RadioPage, ConfirmStoresModelPortAndRules) {
    RadioSettings settings;
    std::vector<QString> help;
    TSetRadio page(settings, 0, TwoTuners());
    QObject::connect(&page, &TPropertyPage::helpRequested,
                     [&](const QString& topic) { help.push_back(topic); });
    ChooseModel(page, 0);
    page.findChild<QComboBox*>("ports")->setCurrentIndex(1);
    page.findChild<QRadioButton*>("exitAsk")->click();
    page.findChild<QRadioButton*>("startLast")->click();
    page.Apply();
    EXPECT_EQ(settings.vendor, 0);
    EXPECT_EQ(settings.portAddress, 0x20C);
    EXPECT_EQ(settings.portString, "Alternate (20c hex)");
    EXPECT_EQ(settings.onExit, kOnExitAsk);
    EXPECT_EQ(settings.startMute, kStartLastState);

    for (QAbstractButton* b : page.findChildren<QAbstractButton*>()) {
        if (b->objectName() == "help") {
            b->click();
        }
    }
    EXPECT_EQ(help, std::vector<QString>{"PCRadios.html"});
}

// Answers the wizard once it is shown: runs the steps, then leaves.
void RunWizard(TRadioWizard& wizard, std::function<void(TRadioWizard&)> steps) {
    QTimer::singleShot(0, [&wizard, steps] { steps(wizard); });
    wizard.exec();
}

TEST(RadioWizard, FreshInstallationNeedsItAndCancelBeforeNextStoresNothing) {
    RadioSettings radio;
    SoundDeviceSettings sound;
    EXPECT_TRUE(NeedsRadioWizard(radio));
    TRadioWizard wizard(radio, sound, TwoTuners(), NoSound());
    EXPECT_EQ(wizard.windowTitle(), "Select Radio Card");
    RunWizard(wizard, [](TRadioWizard& w) {
        EXPECT_EQ(w.currentId(), TRadioWizard::kIntroduction);
        w.next();
        EXPECT_EQ(w.currentId(), TRadioWizard::kRadio);
        ChooseModel(*w.radioPage(), 0);
        w.reject();
    });
    EXPECT_EQ(radio.vendor, kNoRadioModel);
    EXPECT_TRUE(NeedsRadioWizard(radio));
}

TEST(RadioWizard, NextOnTheRadioPageStoresAtOnceAndCancelKeepsIt) {
    RadioSettings radio;
    SoundDeviceSettings sound;
    TRadioWizard wizard(radio, sound, TwoTuners(), NoSound());
    RunWizard(wizard, [](TRadioWizard& w) {
        w.next();
        ChooseModel(*w.radioPage(), 0);
        w.radioPage()->findChild<QComboBox*>("ports")->setCurrentIndex(1);
        w.next();
        EXPECT_EQ(w.currentId(), TRadioWizard::kSoundIntroduction);
        w.reject();
    });
    EXPECT_EQ(radio.vendor, 0);
    EXPECT_EQ(radio.portAddress, 0x20C);
    EXPECT_FALSE(NeedsRadioWizard(radio));
}

TEST(RadioWizard, NoModelChosenStaysOnThePageWithTheMessage) {
    RadioSettings radio;
    SoundDeviceSettings sound;
    MessageBoxRecorder boxes;
    TRadioWizard wizard(radio, sound, TwoTuners(), NoSound());
    RunWizard(wizard, [](TRadioWizard& w) {
        w.next();
        w.radioPage()->findChild<QListWidget*>("models")->clearSelection();
        w.next();
        EXPECT_EQ(w.currentId(), TRadioWizard::kRadio);
        w.reject();
    });
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].text, "Please select radio device.");
    EXPECT_EQ(boxes.calls()[0].caption, "Radio Select");
    EXPECT_EQ(boxes.calls()[0].icon, MessageIcon::Error);
    EXPECT_EQ(radio.vendor, kNoRadioModel);
}

TEST(RadioWizard, FinishStoresBothPages) {
    RadioSettings radio;
    SoundDeviceSettings sound;
    TRadioWizard wizard(radio, sound, TwoTuners(), NoSound());
    RunWizard(wizard, [](TRadioWizard& w) {
        w.next();
        ChooseModel(*w.radioPage(), 15);
        w.radioPage()->findChild<QRadioButton*>("startNoMute")->click();
        w.next();
        w.next();
        EXPECT_EQ(w.currentId(), TRadioWizard::kSound);
        w.soundPage()->findChild<QCheckBox*>("mixerStream")->click();
        w.accept();
    });
    EXPECT_EQ(radio.vendor, 15);
    EXPECT_EQ(radio.portString, "Tuner One");
    EXPECT_EQ(radio.startMute, kStartNoMute);
    EXPECT_TRUE(sound.mixerStream);
}

}  // namespace
