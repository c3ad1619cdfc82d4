#include "prefs/set_mp3_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/message_box.h"
#include "prefs/audio_format_settings.h"
#include "prefs/default_format_box.h"
#include "prefs/format_page_layout.h"

WaveFormat FallbackMp3Format() {
    WaveFormat f = AudioFormatSettings::DefaultMp3Format();
    f.avgBytesPerSec = 8000;
    return f;
}

QString Mp3ByteRateText(const CompressionEntry* entry) {
    if (entry == nullptr || !entry->format || entry->format->avgBytesPerSec == 0) {
        return QString();
    }
    return ByteRateText(entry->format->avgBytesPerSec);
}

bool StoreMp3Choice(const Mp3PageChoice& choice, AudioFormatSettings& formats) {
    const auto rate = ParsePageSampleRate(choice.sampleRateText);
    if (!rate) {
        return false;
    }
    formats.mp3SampleRate = *rate;
    formats.mp3EnableTag = choice.enableTag;
    formats.mp3Stereo = choice.stereo;
    if (choice.entry != nullptr && choice.entry->format) {
        const auto [driver, format] = SplitCompressionLabel(choice.entry->label);
        formats.mp3Format = *choice.entry->format;
        formats.mp3AcmDriver = driver;
        formats.mp3AcmFormat = format;
    } else {
        formats.mp3AcmDriver.clear();
        formats.mp3Format = FallbackMp3Format();
    }
    return true;
}

TSetMp3::TSetMp3(AudioFormatSettings& formats, int& defaultFormat, CodecCatalog catalog,
                 QWidget* parent)
    : TPropertyPage(parent), formats_(formats), catalog_(std::move(catalog)) {
    setObjectName("Mp3");
    defaultBox_ = new DefaultFormatBox("&Use MP3 as default audio recording format", defaultFormat,
                                       kFormatMp3, kFormatWav, this);
    defaultBox_->setObjectName("defaultFormat");
    enableTag_ = new QCheckBox("Enable ID3v2 &tags", this);
    enableTag_->setObjectName("enableTag");
    QGroupBox* channels = MakeChannelGroup(this, &mono_, &stereo_);
    sampleRate_ = MakeSampleRateBox(this, {"16000", "22050", "24000", "32000", "44100", "48000"});
    compression_ = new QComboBox(this);
    compression_->setObjectName("compression");
    compression_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    byteRate_ = new QLabel(this);
    byteRate_->setObjectName("byteRate");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(defaultBox_);
    layout->addWidget(enableTag_);
    auto* groups = new QHBoxLayout;
    groups->addWidget(channels);
    groups->addStretch();
    layout->addLayout(groups);
    AddLabelledRow(layout, "Default S&ample Rate", sampleRate_);
    AddLabelledRow(layout, "Default Com&pression Bit Rate", compression_);
    AddLabelledRow(layout, "Default Byte Rate", byteRate_);
    layout->addStretch();

    enableTag_->setChecked(formats_.mp3EnableTag);
    (formats_.mp3Stereo ? stereo_ : mono_)->setChecked(true);
    sampleRate_->setCurrentText(QString::number(formats_.mp3SampleRate));

    for (QRadioButton* b : {mono_, stereo_}) {
        connect(b, &QRadioButton::clicked, this, &TSetMp3::RebuildCompressionList);
    }
    connect(sampleRate_, &QComboBox::currentTextChanged, this, &TSetMp3::RequestRebuild);
    connect(compression_, &QComboBox::currentIndexChanged, this, [this](int index) {
        list_.selected = index;
        byteRate_->setText(Mp3ByteRateText(list_.selectedEntry()));
    });
    RebuildCompressionList();
}

void TSetMp3::showEvent(QShowEvent* event) {
    defaultBox_->Refresh();
    TPropertyPage::showEvent(event);
}

void TSetMp3::RequestRebuild() {
    RequestQueuedOnce(this, rebuildPending_, [this] { RebuildCompressionList(); });
}

void TSetMp3::RebuildCompressionList() {
    const int rate = SampleRateIn(sampleRate_);
    const WaveFormat source =
        WaveFormat::Pcm(stereo_->isChecked() ? 2 : 1, static_cast<uint32_t>(std::max(rate, 0)), 16);
    list_ = BuildMp3CompressionList(catalog_, source, formats_.mp3Format);
    FillCompressionBox(compression_, list_);
    byteRate_->setText(Mp3ByteRateText(list_.selectedEntry()));
    for (const QString& message : list_.messages) {
        MessageBox(message, "Plumora", MessageIcon::Error);
    }
}

Mp3PageChoice TSetMp3::choice() const {
    return {sampleRate_->currentText(), stereo_->isChecked(), enableTag_->isChecked(),
            list_.selectedEntry()};
}

bool TSetMp3::Validate() {
    if (!ParsePageSampleRate(sampleRate_->currentText())) {
        MessageBox(kSampleRateOutOfBounds, "Plumora", MessageIcon::Error);
        return false;
    }
    return true;
}

void TSetMp3::Apply() {
    StoreMp3Choice(choice(), formats_);
}
