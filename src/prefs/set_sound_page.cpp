#include "prefs/set_sound_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

#include "prefs/sound_device_settings.h"

SoundDeviceSources SoundDeviceSources::System() {
    return {[](WaveDirection d) { return ListWaveDevices(d); },
            [](const std::string& name) { return OpenAlsaMixer(name); }};
}

QStringList SoundDeviceEntries(const std::vector<WaveDeviceCaps>& devices,
                               const QString& configured) {
    QStringList entries;
    for (const WaveDeviceCaps& caps : devices) {
        const QString name = QString::fromStdString(caps.name);
        if (!entries.contains(name) && name != kDefaultDeviceEntry) {
            entries << name;
        }
    }
    const QString selection = SoundDeviceSelection(configured);
    if (selection != kDefaultDeviceEntry && !selection.isEmpty() && !entries.contains(selection)) {
        entries << selection;
    }
    std::sort(entries.begin(), entries.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    entries.prepend(kDefaultDeviceEntry);
    return entries;
}

QString SoundDeviceSelection(const QString& configured) {
    if (configured == SoundDeviceSettings::kDefaultDevice || configured.isEmpty()) {
        return kDefaultDeviceEntry;
    }
    return configured;
}

QStringList MixerLineEntries(const SoundDeviceSources& sources, const QString& inputDevice) {
    SMixer mixer(SMixer::Kind::kWaveIn, inputDevice.toStdString(), sources.devices,
                 sources.openMixer);
    if (!mixer.IsOpen()) {
        return {};
    }
    QStringList lines;
    const int count = mixer.GetRecordingSourceCount();
    for (int i = 0; i < count; ++i) {
        std::string name;
        mixer.GetRecordingSourceName(i, name);
        if (!name.empty()) {
            lines << QString::fromStdString(name);
        }
    }
    lines << SoundDeviceSettings::kNotConnected;
    return lines;
}

int FindEntryStartingWith(const QStringList& entries, const QString& text) {
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i].startsWith(text, Qt::CaseInsensitive)) {
            return i;
        }
    }
    return -1;
}

int FindMixerLineEntry(const QStringList& entries, const QString& stored) {
    if (stored.isEmpty()) {
        return -1;
    }
    if (const int index = FindEntryStartingWith(entries, stored); index >= 0) {
        return index;
    }
    const std::optional<MixerLineType> kind = LineTypeOfName(stored.toStdString());
    if (!kind) {
        return -1;
    }
    for (int i = 0; i < entries.size(); ++i) {
        if (entries[i] != SoundDeviceSettings::kNotConnected &&
            ClassifyMixerElement(entries[i].toStdString()) == *kind) {
            return i;
        }
    }
    return -1;
}

TSetSound::TSetSound(SoundDeviceSettings& settings, SoundDeviceSources sources, QWidget* parent)
    : TPropertyPage(parent), settings_(settings), sources_(std::move(sources)) {
    setObjectName("Sound device");
    auto makeList = [this](const char* name) {
        auto* box = new QComboBox(this);
        box->setObjectName(name);
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        box->setMinimumContentsLength(24);
        return box;
    };
    output_ = makeList("output");
    input_ = makeList("input");
    mixerLine_ = makeList("mixerLine");
    changeMixer_ = new QCheckBox("This program may alter sound device &mixer settings.", this);
    changeMixer_->setObjectName("changeMixer");
    mixerStream_ = new QCheckBox("Stream audio input to output device", this);
    mixerStream_->setObjectName("mixerStream");

    auto* layout = new QVBoxLayout(this);
    auto addLabelled = [&](const char* text, QComboBox* box) {
        auto* label = new QLabel(text, this);
        label->setBuddy(box);
        layout->addWidget(label);
        layout->addWidget(box);
    };
    addLabelled("Sound &output device", output_);
    addLabelled("Sound &input device", input_);
    addLabelled("&Tuner is connected to this sound card input", mixerLine_);
    layout->addSpacing(8);
    layout->addWidget(changeMixer_);
    layout->addWidget(mixerStream_);
    layout->addStretch();

    const auto fill = [](QComboBox* box, const QStringList& entries, const QString& selection) {
        box->addItems(entries);
        box->setCurrentIndex(std::max(0, FindEntryStartingWith(entries, selection)));
    };
    fill(output_,
         SoundDeviceEntries(sources_.devices(WaveDirection::kOutput), settings_.waveOutDriver),
         SoundDeviceSelection(settings_.waveOutDriver));
    fill(input_,
         SoundDeviceEntries(sources_.devices(WaveDirection::kInput), settings_.waveInDriver),
         SoundDeviceSelection(settings_.waveInDriver));
    mixerLine_->addItem(settings_.mixerInput);  // selected below when the mixer has it
    FillMixerLines();
    changeMixer_->setChecked(settings_.changeMixer);
    mixerStream_->setChecked(settings_.mixerStream);

    connect(input_, &QComboBox::currentIndexChanged, this, &TSetSound::FillMixerLines);
}

void TSetSound::FillMixerLines() {
    const QString shown = mixerLine_->currentText();
    const QStringList lines = MixerLineEntries(sources_, input_->currentText());
    const QSignalBlocker quiet(mixerLine_);
    mixerLine_->clear();
    mixerLine_->addItems(lines);
    mixerLine_->setCurrentIndex(FindMixerLineEntry(lines, shown));
}

void TSetSound::Apply() {
    settings_.waveOutDriver = output_->currentText();
    settings_.waveInDriver = input_->currentText();
    // Without a mixer there is nothing to choose; the tuner's line stays.
    if (mixerLine_->count() > 0) {
        settings_.mixerInput = mixerLine_->currentText();
    }
    settings_.changeMixer = changeMixer_->isChecked();
    settings_.mixerStream = mixerStream_->isChecked();
}
