#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "prefs/set_app_page.h"
#include "prefs/set_sound_page.h"
#include "prefs/shortcut.h"
#include "prefs/sound_device_settings.h"

namespace {

// Points $XDG_DATA_HOME at a fresh folder while alive.
class ScopedDataHome {
  public:
    ScopedDataHome() : previous_(qgetenv("XDG_DATA_HOME")) {
        qputenv("XDG_DATA_HOME", dir_.path().toUtf8());
    }
    ~ScopedDataHome() { qputenv("XDG_DATA_HOME", previous_); }
    QString launcher() const { return dir_.path() + "/applications/Plumora.desktop"; }

  private:
    QTemporaryDir dir_;
    QByteArray previous_;
};

QCheckBox* Box(QWidget& page, const char* name) {
    return page.findChild<QCheckBox*>(name);
}

TEST(GeneralPage, FreshInstallationShowsTheDefaultsAndConfirmStoresTheBoxes) {
    ScopedDataHome data;
    GeneralSettings settings;
    std::vector<bool> topmostCalls;
    TSetApp page(settings, [&](bool onTop) { topmostCalls.push_back(onTop); });
    EXPECT_FALSE(Box(page, "alwaysStart")->isChecked());
    EXPECT_FALSE(Box(page, "minimizeOnStart")->isChecked());
    EXPECT_FALSE(Box(page, "trayIcon")->isChecked());
    EXPECT_TRUE(Box(page, "showMenu")->isChecked());
    EXPECT_FALSE(Box(page, "onTop")->isChecked());
    EXPECT_FALSE(Box(page, "launcher")->isChecked());

    page.Apply();
    EXPECT_TRUE(topmostCalls.empty()) << "always on top did not change";

    for (const char* name : {"alwaysStart", "trayIcon", "showMenu", "onTop"}) {
        Box(page, name)->click();
    }
    page.Apply();
    EXPECT_EQ(settings, (GeneralSettings{true, false, true, false, true}));
    EXPECT_EQ(topmostCalls, std::vector<bool>{true});
}

TEST(GeneralPage, LauncherBoxMakesAndDeletesTheDesktopLauncher) {
    ScopedDataHome data;
    GeneralSettings settings;
    {
        TSetApp page(settings, {});
        Box(page, "launcher")->click();
        page.Apply();
    }
    ASSERT_TRUE(QFileInfo::exists(data.launcher()));
    QFile file(data.launcher());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains("Name=Plumora\n"));
    EXPECT_TRUE(text.contains("Icon=com.quillmoor.Plumora\n")) << "the installed entry's icon";
    EXPECT_TRUE(text.contains("Exec=" + QCoreApplication::applicationFilePath()));
    EXPECT_TRUE(CShortcut().Exists("Plumora", CShortcut::QuickLaunchFolder));

    TSetApp page(settings, {});
    ASSERT_TRUE(Box(page, "launcher")->isChecked()) << "the page shows the launcher exists";
    Box(page, "launcher")->click();
    page.Apply();
    EXPECT_FALSE(QFileInfo::exists(data.launcher()));
}

TEST(GeneralPage, LauncherToAMissingProgramDoesNotCount) {
    ScopedDataHome data;
    const CShortcut shortcut;
    ASSERT_TRUE(shortcut.Create("/nonexistent/program with blank", "Plumora",
                                CShortcut::QuickLaunchFolder));
    EXPECT_TRUE(QFileInfo::exists(data.launcher()));
    EXPECT_FALSE(shortcut.Exists("Plumora", CShortcut::QuickLaunchFolder));
    ASSERT_TRUE(shortcut.Create(CShortcut::kThisProgram, "Plumora", CShortcut::QuickLaunchFolder));
    EXPECT_TRUE(shortcut.Exists("Plumora", CShortcut::QuickLaunchFolder));
}

// A card with a recording selector of three items.
class SelectorMixer : public MixerBackend {
  public:
    int Id() const override { return 0; }
    std::string DestinationName(MixerDestination) const override { return "Capture"; }
    int SourceCount(MixerDestination) const override { return 0; }
    std::optional<MixerLine> Source(MixerDestination, int) const override { return {}; }
    std::optional<MixerVolume> GetVolume(MixerDestination, int) const override { return {}; }
    bool SetVolume(MixerDestination, int, long) override { return false; }
    std::optional<bool> GetMute(MixerDestination, int) const override { return {}; }
    bool SetMute(MixerDestination, int, bool) override { return false; }
    std::optional<std::vector<MixerSelectorItem>> GetSelector() const override {
        return std::vector<MixerSelectorItem>{{"Mic", true, MixerLineType::kMicrophone},
                                              {"Line-In", false, MixerLineType::kLineIn},
                                              {"CD", false, MixerLineType::kCompactDisc}};
    }
    bool SetSelector(const std::vector<bool>&) override { return true; }
};

// Two input devices; only "hw:CARD=Tuner" has a mixer.
SoundDeviceSources FakeSources() {
    SoundDeviceSources s;
    s.devices = [](WaveDirection direction) {
        if (direction == WaveDirection::kOutput) {
            return std::vector<WaveDeviceCaps>{{"hw:CARD=Speakers", ""}, {"dmix", ""}};
        }
        return std::vector<WaveDeviceCaps>{{"hw:CARD=Tuner", ""}, {"hw:CARD=Webcam", ""}};
    };
    s.openMixer = [](const std::string& name) -> std::unique_ptr<MixerBackend> {
        if (name == "hw:CARD=Tuner" || name == "default") {
            return std::make_unique<SelectorMixer>();
        }
        return nullptr;
    };
    return s;
}

QStringList Items(QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) {
        items << box->itemText(i);
    }
    return items;
}

TEST(SoundDevicePage, FreshInstallationShowsDefaultDevicesAndTheLineInLine) {
    SoundDeviceSettings settings;
    TSetSound page(settings, FakeSources());
    auto* output = page.findChild<QComboBox*>("output");
    auto* input = page.findChild<QComboBox*>("input");
    auto* line = page.findChild<QComboBox*>("mixerLine");
    EXPECT_EQ(Items(output), (QStringList{"<default>", "dmix", "hw:CARD=Speakers"}));
    EXPECT_EQ(output->currentText(), "<default>");
    EXPECT_EQ(Items(input), (QStringList{"<default>", "hw:CARD=Tuner", "hw:CARD=Webcam"}));
    EXPECT_EQ(input->currentText(), "<default>");
    EXPECT_EQ(Items(line), (QStringList{"Mic", "Line-In", "CD", "<not connected>"}));
    EXPECT_EQ(line->currentText(), "Line-In");
    EXPECT_TRUE(page.findChild<QCheckBox*>("changeMixer")->isChecked());
    EXPECT_FALSE(page.findChild<QCheckBox*>("mixerStream")->isChecked());
}

TEST(SoundDevicePage, InputWithoutMixerLeavesTheLineListEmpty) {
    SoundDeviceSettings settings;
    settings.waveInDriver = "hw:CARD=Tuner";
    settings.mixerInput = "CD";
    TSetSound page(settings, FakeSources());
    auto* input = page.findChild<QComboBox*>("input");
    auto* line = page.findChild<QComboBox*>("mixerLine");
    EXPECT_EQ(input->currentText(), "hw:CARD=Tuner");
    EXPECT_EQ(line->currentText(), "CD");

    input->setCurrentText("hw:CARD=Webcam");
    EXPECT_EQ(line->count(), 0);
    input->setCurrentText("hw:CARD=Tuner");
    EXPECT_EQ(line->count(), 4);

    page.findChild<QComboBox*>("output")->setCurrentText("dmix");
    line->setCurrentText("<not connected>");
    page.findChild<QCheckBox*>("changeMixer")->click();
    page.findChild<QCheckBox*>("mixerStream")->click();
    page.Apply();
    EXPECT_EQ(settings,
              (SoundDeviceSettings{"hw:CARD=Tuner", "dmix", "<not connected>", false, true}));
}

TEST(SoundDevicePage, UnpluggedConfiguredDeviceStaysChosen) {
    SoundDeviceSettings settings;
    settings.waveOutDriver = "hw:CARD=Gone";
    TSetSound page(settings, FakeSources());
    EXPECT_EQ(page.findChild<QComboBox*>("output")->currentText(), "hw:CARD=Gone");
    page.Apply();
    EXPECT_EQ(settings.waveOutDriver, "hw:CARD=Gone");
}

}  // namespace
