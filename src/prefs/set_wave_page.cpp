#include "prefs/set_wave_page.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/message_box.h"
#include "prefs/audio_format_settings.h"
#include "prefs/default_format_box.h"
#include "prefs/format_page_layout.h"
#include "prefs/settings_values.h"

WaveFormat WaveSourceFormat(int sampleRate, bool sixteenBit, bool stereo) {
    return WaveFormat::Pcm(stereo ? 2 : 1, static_cast<uint32_t>(std::max(sampleRate, 0)),
                           sixteenBit ? 16 : 8);
}

QString WaveByteRateText(const WavePageChoice& choice) {
    if (choice.entry != nullptr && choice.entry->format) {
        return ByteRateText(choice.entry->format->avgBytesPerSec);
    }
    const int rate = settings_values::ParseInt(choice.sampleRateText.left(9)).value_or(0);
    return ByteRateText(double(rate) * (choice.sixteenBit ? 2 : 1) * (choice.stereo ? 2 : 1));
}

bool StoreWaveChoice(const WavePageChoice& choice, AudioFormatSettings& formats) {
    const auto rate = ParsePageSampleRate(choice.sampleRateText);
    if (!rate) {
        return false;
    }
    formats.sampleRate = *rate;
    formats.sixteenBit = choice.sixteenBit;
    formats.stereo = choice.stereo;
    if (choice.entry != nullptr && choice.entry->format) {
        const auto [driver, format] = SplitCompressionLabel(choice.entry->label);
        formats.acmFormatTag = static_cast<quint8>(choice.entry->format->formatTag & 0xFF);
        formats.waveFormat = *choice.entry->format;
        formats.acmDriver = driver;
        formats.acmFormat = format;
    } else {
        formats.acmFormatTag = 1;
        formats.acmDriver.clear();
        formats.acmFormat.clear();
        formats.waveFormat = WaveSourceFormat(*rate, choice.sixteenBit, choice.stereo);
    }
    return true;
}

TSetWave::TSetWave(AudioFormatSettings& formats, int& defaultFormat, CodecCatalog catalog,
                   QWidget* parent)
    : TPropertyPage(parent), formats_(formats), catalog_(std::move(catalog)) {
    setObjectName("Wave");
    defaultBox_ = new DefaultFormatBox("&Use WAV as default audio recording format", defaultFormat,
                                       kFormatWav, kFormatVorbis, this);
    defaultBox_->setObjectName("defaultFormat");

    auto* resolution = new QGroupBox("&Resolution", this);
    eightBit_ = new QRadioButton("&8-bit", resolution);
    sixteenBit_ = new QRadioButton("&16-bit", resolution);
    auto* resolutionLayout = new QVBoxLayout(resolution);
    resolutionLayout->addWidget(eightBit_);
    resolutionLayout->addWidget(sixteenBit_);

    QGroupBox* channels = MakeChannelGroup(this, &mono_, &stereo_);

    sampleRate_ = MakeSampleRateBox(this, {"8000", "11025", "22050", "44100"});
    compression_ = new QComboBox(this);
    compression_->setObjectName("compression");
    compression_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    byteRate_ = new QLabel(this);
    byteRate_->setObjectName("byteRate");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(defaultBox_);
    auto* groups = new QHBoxLayout;
    groups->addWidget(resolution);
    groups->addWidget(channels);
    groups->addStretch();
    layout->addLayout(groups);
    AddLabelledRow(layout, "Default S&ample Rate", sampleRate_);
    AddLabelledRow(layout, "Default Com&pression", compression_);
    AddLabelledRow(layout, "Default Byte Rate", byteRate_);
    layout->addStretch();

    (formats_.sixteenBit ? sixteenBit_ : eightBit_)->setChecked(true);
    (formats_.stereo ? stereo_ : mono_)->setChecked(true);
    sampleRate_->setCurrentText(QString::number(formats_.sampleRate));

    for (QRadioButton* b : {eightBit_, sixteenBit_, mono_, stereo_}) {
        connect(b, &QRadioButton::clicked, this, &TSetWave::RebuildCompressionList);
    }
    connect(sampleRate_, &QComboBox::currentTextChanged, this, &TSetWave::RequestRebuild);
    connect(compression_, &QComboBox::currentIndexChanged, this, [this](int index) {
        list_.selected = index;
        RedrawByteRate();
    });
    RebuildCompressionList();
}

void TSetWave::showEvent(QShowEvent* event) {
    defaultBox_->Refresh();
    TPropertyPage::showEvent(event);
}

void TSetWave::RequestRebuild() {
    RequestQueuedOnce(this, rebuildPending_, [this] { RebuildCompressionList(); });
}

void TSetWave::RebuildCompressionList() {
    const int rate = SampleRateIn(sampleRate_);
    list_ = BuildWaveCompressionList(
        catalog_, WaveSourceFormat(rate, sixteenBit_->isChecked(), stereo_->isChecked()),
        formats_.waveFormat);
    FillCompressionBox(compression_, list_);
    RedrawByteRate();
    for (const QString& message : list_.messages) {
        MessageBox(message, "Plumora", MessageIcon::Error);
    }
}

WavePageChoice TSetWave::choice() const {
    return {sampleRate_->currentText(), sixteenBit_->isChecked(), stereo_->isChecked(),
            list_.selectedEntry()};
}

void TSetWave::RedrawByteRate() {
    byteRate_->setText(WaveByteRateText(choice()));
}

bool TSetWave::Validate() {
    if (!ParsePageSampleRate(sampleRate_->currentText())) {
        MessageBox(kSampleRateOutOfBounds, "Plumora", MessageIcon::Error);
        return false;
    }
    return true;
}

void TSetWave::Apply() {
    StoreWaveChoice(choice(), formats_);
}
