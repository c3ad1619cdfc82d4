#pragma once

#include "prefs/compression_list.h"
#include "prefs/property_page.h"

class DefaultFormatBox;
class QComboBox;
class QLabel;
class QRadioButton;
struct AudioFormatSettings;

// What the Wave page shows when it is confirmed.
struct WavePageChoice {
    QString sampleRateText;
    bool sixteenBit = false;
    bool stereo = false;
    const CompressionEntry* entry = nullptr;  // null or without format: no compression
};

// The PCM format the Wave page captures in.
WaveFormat WaveSourceFormat(int sampleRate, bool sixteenBit, bool stereo);
// The byte rate shown for a choice: the codec format's, else the PCM rate.
QString WaveByteRateText(const WavePageChoice& choice);
// Stores a confirmed choice; false (and nothing stored) for a sample rate
// outside 1 to 100000.
bool StoreWaveChoice(const WavePageChoice& choice, AudioFormatSettings& formats);

// "Wave": PCM or a codec format for WAV recordings.
class TSetWave : public TPropertyPage {
    Q_OBJECT
  public:
    TSetWave(AudioFormatSettings& formats, int& defaultFormat,
             CodecCatalog catalog = CodecCatalog::System(), QWidget* parent = nullptr);

    bool Validate() override;
    void Apply() override;

    void RebuildCompressionList();
    const CompressionList& compressionList() const { return list_; }
    WavePageChoice choice() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void RequestRebuild();
    void RedrawByteRate();

    AudioFormatSettings& formats_;
    CodecCatalog catalog_;
    DefaultFormatBox* defaultBox_;
    QRadioButton* eightBit_;
    QRadioButton* sixteenBit_;
    QRadioButton* mono_;
    QRadioButton* stereo_;
    QComboBox* sampleRate_;
    QComboBox* compression_;
    QLabel* byteRate_;
    CompressionList list_;
    bool rebuildPending_ = false;
};
