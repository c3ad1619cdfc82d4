#include "prefs/set_vorbis_page.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "platform/message_box.h"
#include "prefs/audio_format_settings.h"
#include "prefs/compression_list.h"
#include "prefs/default_format_box.h"
#include "prefs/format_page_layout.h"
#include "prefs/settings_values.h"

namespace {

constexpr int kFallbackBitRate = 64000;

}  // namespace

VorbisBitRateList BuildVorbisBitRateList(int sampleRate, const QString& shownText,
                                         int storedBitRate) {
    QString kept = shownText.trimmed();
    if (!settings_values::ParseInt(kept)) {
        kept = QString::number(storedBitRate / 1000);
    }
    VorbisBitRateList list;
    if (sampleRate > 8000) {
        list.entries = {"32", "48", "64", "128", "256"};
        list.selected = 2;
    } else {
        list.entries = {"16", "32", "48", "64", "128", "256"};
        list.selected = 1;
    }
    for (int i = 0; i < list.entries.size(); ++i) {
        if (list.entries[i].startsWith(kept)) {
            list.selected = i;
            break;
        }
    }
    return list;
}

QString VorbisByteRateText(const QString& bitRateText) {
    const auto kbit = settings_values::ParseInt(bitRateText);
    if (!kbit) {
        return QString();
    }
    return ByteRateText(*kbit * 1000.0 / 8.0);
}

bool StoreVorbisChoice(const QString& sampleRateText, bool stereo, const QString& bitRateText,
                       AudioFormatSettings& formats) {
    const auto rate = ParsePageSampleRate(sampleRateText);
    if (!rate) {
        return false;
    }
    formats.vorSampleRate = *rate;
    formats.vorStereo = stereo;
    const auto kbit = settings_values::ParseInt(bitRateText);
    formats.vorBitRate = kbit ? *kbit * 1000 : kFallbackBitRate;
    return true;
}

TSetVorbis::TSetVorbis(AudioFormatSettings& formats, int& defaultFormat, QWidget* parent)
    : TPropertyPage(parent), formats_(formats) {
    setObjectName("Vorbis");
    defaultBox_ = new DefaultFormatBox("Use Vorbis as default audio recording format",
                                       defaultFormat, kFormatVorbis, kFormatWav, this);
    defaultBox_->setObjectName("defaultFormat");
    QGroupBox* channels = MakeChannelGroup(this, &mono_, &stereo_);
    sampleRate_ = MakeSampleRateBox(
        this, {"8000", "11025", "16000", "22050", "24000", "32000", "44100", "48000"});
    bitRate_ = new QComboBox(this);
    bitRate_->setObjectName("bitRate");
    byteRate_ = new QLabel(this);
    byteRate_->setObjectName("byteRate");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(defaultBox_);
    auto* groups = new QHBoxLayout;
    groups->addWidget(channels);
    groups->addStretch();
    layout->addLayout(groups);
    AddLabelledRow(layout, "Default S&ample Rate", sampleRate_);
    AddLabelledRow(layout, "Default Com&pression Bit Rate", bitRate_);
    AddLabelledRow(layout, "Default Byte Rate", byteRate_);
    layout->addStretch();

    (formats_.vorStereo ? stereo_ : mono_)->setChecked(true);
    sampleRate_->setCurrentText(QString::number(formats_.vorSampleRate));

    for (QRadioButton* b : {mono_, stereo_}) {
        connect(b, &QRadioButton::clicked, this, &TSetVorbis::RebuildBitRateList);
    }
    connect(sampleRate_, &QComboBox::currentTextChanged, this, &TSetVorbis::RequestRebuild);
    connect(bitRate_, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { byteRate_->setText(VorbisByteRateText(text)); });
    RebuildBitRateList();
}

void TSetVorbis::showEvent(QShowEvent* event) {
    defaultBox_->Refresh();
    TPropertyPage::showEvent(event);
}

void TSetVorbis::RequestRebuild() {
    RequestQueuedOnce(this, rebuildPending_, [this] { RebuildBitRateList(); });
}

void TSetVorbis::RebuildBitRateList() {
    const int rate = SampleRateIn(sampleRate_);
    const VorbisBitRateList list =
        BuildVorbisBitRateList(rate, bitRate_->currentText(), formats_.vorBitRate);
    {
        const QSignalBlocker quiet(bitRate_);
        bitRate_->clear();
        bitRate_->addItems(list.entries);
        bitRate_->setCurrentIndex(list.selected);
    }
    byteRate_->setText(VorbisByteRateText(bitRate_->currentText()));
}

bool TSetVorbis::Validate() {
    if (!ParsePageSampleRate(sampleRate_->currentText())) {
        MessageBox(kSampleRateOutOfBounds, "Plumora", MessageIcon::Error);
        return false;
    }
    return true;
}

void TSetVorbis::Apply() {
    StoreVorbisChoice(sampleRate_->currentText(), stereo_->isChecked(), bitRate_->currentText(),
                      formats_);
}
