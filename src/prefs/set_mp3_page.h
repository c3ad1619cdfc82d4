#pragma once

#include "prefs/compression_list.h"
#include "prefs/property_page.h"

class DefaultFormatBox;
class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;
struct AudioFormatSettings;

// What the Mp3 page shows when it is confirmed.
struct Mp3PageChoice {
    QString sampleRateText;
    bool stereo = false;
    bool enableTag = true;
    const CompressionEntry* entry = nullptr;  // null or without format: the warning entry
};

// The MP3 record stored when no codec format is chosen: 16000 mono at 8000
// bytes per second.
WaveFormat FallbackMp3Format();
// The byte rate of the chosen entry; empty for the warning entry.
QString Mp3ByteRateText(const CompressionEntry* entry);
// Stores a confirmed choice; false (and nothing stored) for a sample rate
// outside 1 to 100000.
bool StoreMp3Choice(const Mp3PageChoice& choice, AudioFormatSettings& formats);

// "Mp3": the MPEG Layer-3 format of MP3 recordings.
class TSetMp3 : public TPropertyPage {
    Q_OBJECT
  public:
    TSetMp3(AudioFormatSettings& formats, int& defaultFormat,
            CodecCatalog catalog = CodecCatalog::System(), QWidget* parent = nullptr);

    bool Validate() override;
    void Apply() override;

    void RebuildCompressionList();
    const CompressionList& compressionList() const { return list_; }
    Mp3PageChoice choice() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void RequestRebuild();

    AudioFormatSettings& formats_;
    CodecCatalog catalog_;
    DefaultFormatBox* defaultBox_;
    QCheckBox* enableTag_;
    QRadioButton* mono_;
    QRadioButton* stereo_;
    QComboBox* sampleRate_;
    QComboBox* compression_;
    QLabel* byteRate_;
    CompressionList list_;
    bool rebuildPending_ = false;
};
