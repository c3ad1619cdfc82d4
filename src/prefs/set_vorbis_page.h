#pragma once

#include <QStringList>

#include "prefs/property_page.h"

class DefaultFormatBox;
class QComboBox;
class QLabel;
class QRadioButton;
struct AudioFormatSettings;

// The bit rates (kbit/s) the Vorbis page offers at a sample rate, and which
// one is selected.
struct VorbisBitRateList {
    QStringList entries;
    int selected = 0;
};

// Above 8000 samples per second "32" to "256" with "64" preselected, else
// "16" to "256" with "32". The kept text (the shown bit rate when it is a
// number, else the stored rate in kbit/s) is selected when an entry starts
// with it.
VorbisBitRateList BuildVorbisBitRateList(int sampleRate, const QString& shownText,
                                         int storedBitRate);
// "%.3f MB/min" of a bit-rate text in kbit/s; empty when it is no number.
QString VorbisByteRateText(const QString& bitRateText);
// Stores a confirmed page; false (and nothing stored) for a sample rate
// outside 1 to 100000. A bit rate that is no number stores 64000.
bool StoreVorbisChoice(const QString& sampleRateText, bool stereo, const QString& bitRateText,
                       AudioFormatSettings& formats);

// "Vorbis": channels, sample rate and nominal bit rate of Ogg Vorbis
// recordings.
class TSetVorbis : public TPropertyPage {
    Q_OBJECT
  public:
    TSetVorbis(AudioFormatSettings& formats, int& defaultFormat, QWidget* parent = nullptr);

    bool Validate() override;
    void Apply() override;

    void RebuildBitRateList();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void RequestRebuild();

    AudioFormatSettings& formats_;
    DefaultFormatBox* defaultBox_;
    QRadioButton* mono_;
    QRadioButton* stereo_;
    QComboBox* sampleRate_;
    QComboBox* bitRate_;
    QLabel* byteRate_;
    bool rebuildPending_ = false;
};
