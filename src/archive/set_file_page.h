#pragma once

#include "archive/recording_file_settings.h"
#include "prefs/property_page.h"

class Clock;
class QLabel;
class QLineEdit;
class QSpinBox;
struct AudioFormatSettings;

// What the File page shows when it is confirmed.
struct FilePageChoice {
    QString directory;
    int size = 1;  // the size field's value, MB
    QString pattern;
    quint8 instanceMode = InstanceAlways;
};

// Stores a confirmed page: the size raised to 1 when below 1, the pattern
// and mode, the directory ("~" expanded; a relative one is refused by
// Validate before).
void StoreFileChoice(const FilePageChoice& choice, RecordingFileSettings& files);

// "File": recording folder, name pattern and size limit.
class TSetFile : public TPropertyPage {
    Q_OBJECT
  public:
    TSetFile(RecordingFileSettings& files, const AudioFormatSettings& formats, Clock& clock,
             QWidget* parent = nullptr);

    // Refuses a relative recording folder with a message.
    bool Validate() override;
    void Apply() override;
    FilePageChoice choice() const;
    QString estimateText() const;
    QString previewText() const;

    // "&Browse..." and "Edit...": the dialogs they open, shown modally.
    void Browse();
    void EditPattern();

  private:
    void RedrawPreview();
    void RedrawEstimate();

    RecordingFileSettings& files_;
    const AudioFormatSettings& formats_;
    Clock& clock_;
    QString pattern_;
    quint8 instanceMode_;
    QLineEdit* directory_;
    QLabel* preview_;
    QSpinBox* size_;
    QLabel* estimate_;
};
