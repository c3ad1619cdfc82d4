#pragma once

#include <QDialog>
#include <QStringList>

#include "archive/recording_file_settings.h"

class Clock;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

// Characters a file name pattern may not contain.
inline constexpr const char* kRefusedPatternCharacters = "./:*?\\";

// The rows of the code list: the heading, then "%a Abbreviated weekday
// name" and the other fifteen codes.
QStringList PatternCodeRows();
// The code a row inserts; empty for the heading.
QString PatternCodeOfRow(int row);
// The text without the refused characters.
QString WithoutRefusedCharacters(const QString& text);

// "File name pattern": edits a working copy of the pattern and the instance
// mode, with a live preview of the name it gives.
class TPatternDialog : public QDialog {
    Q_OBJECT
  public:
    TPatternDialog(const QString& pattern, quint8 instanceMode, int defaultAudioFormat,
                   Clock& clock, QWidget* parent = nullptr);

    // Valid after OK.
    QString pattern() const;
    quint8 instanceMode() const;

    QLineEdit* patternField() const { return field_; }
    QComboBox* codeList() const { return codes_; }
    QString previewText() const;
    // "&Insert code": the selected code replaces the field's selection.
    void InsertCode();

  private:
    void RedrawPreview();

    quint8 modeBits_;
    int defaultAudioFormat_;
    Clock& clock_;
    QLineEdit* field_;
    QLabel* preview_;
    QComboBox* codes_;
    QRadioButton* always_;
    QRadioButton* whenRequired_;
};
