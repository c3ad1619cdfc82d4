#include "archive/set_file_page.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "archive/dir_pick.h"
#include "archive/pattern_dialog.h"
#include "archive/recording_path.h"
#include "archive/recording_time_estimate.h"
#include "platform/message_box.h"
#include "prefs/audio_format_settings.h"
#include "prefs/settings_values.h"

void StoreFileChoice(const FilePageChoice& choice, RecordingFileSettings& files) {
    files.fileSize = std::max(choice.size, 1);
    files.improvedFilePattern = choice.pattern;
    files.fileInstanceMode = choice.instanceMode;
    const TypedFolder folder = AbsoluteFolder(choice.directory);
    if (folder.error.isEmpty()) {
        files.defaultDirectory = folder.path.left(settings_values::kMaxTextLength);
    }
}

TSetFile::TSetFile(RecordingFileSettings& files, const AudioFormatSettings& formats, Clock& clock,
                   QWidget* parent)
    : TPropertyPage(parent),
      files_(files),
      formats_(formats),
      clock_(clock),
      pattern_(files.improvedFilePattern),
      instanceMode_(files.fileInstanceMode) {
    setObjectName("File");

    auto* directoryGroup = new QGroupBox("Directory", this);
    directory_ = new QLineEdit(files_.defaultDirectory, directoryGroup);
    directory_->setObjectName("directory");
    directory_->setMaxLength(settings_values::kMaxTextLength);
    directory_->setMinimumWidth(280);
    auto* browse = new QPushButton("&Browse...", directoryGroup);
    browse->setObjectName("browse");
    auto* directoryLayout = new QHBoxLayout(directoryGroup);
    directoryLayout->addWidget(directory_, 1);
    directoryLayout->addWidget(browse);

    auto* namesGroup = new QGroupBox("Names", this);
    preview_ = new QLabel(namesGroup);
    preview_->setObjectName("preview");
    auto* edit = new QPushButton("Edit...", namesGroup);
    edit->setObjectName("edit");
    auto* namesLayout = new QGridLayout(namesGroup);
    namesLayout->addWidget(new QLabel("File name pattern:", namesGroup), 0, 0);
    namesLayout->addWidget(preview_, 0, 1);
    namesLayout->addWidget(edit, 0, 2);
    namesLayout->setColumnStretch(1, 1);

    auto* sizeGroup = new QGroupBox("Size", this);
    size_ = new QSpinBox(sizeGroup);
    size_->setObjectName("size");
    size_->setRange(1, 9999);
    size_->setValue(std::clamp(files_.fileSize, 1, 9999));
    auto* sizeLabel = new QLabel("Recording file size &limit", sizeGroup);
    sizeLabel->setBuddy(size_);
    estimate_ = new QLabel(sizeGroup);
    estimate_->setObjectName("estimate");
    auto* sizeLayout = new QGridLayout(sizeGroup);
    sizeLayout->addWidget(sizeLabel, 0, 0);
    sizeLayout->addWidget(size_, 0, 1);
    sizeLayout->addWidget(new QLabel("MB", sizeGroup), 0, 2);
    sizeLayout->addWidget(new QLabel("Total recording time at default sample rate", sizeGroup), 1,
                          0);
    sizeLayout->addWidget(estimate_, 1, 1, 1, 2);
    sizeLayout->setColumnStretch(3, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(directoryGroup);
    layout->addWidget(namesGroup);
    layout->addWidget(sizeGroup);
    layout->addStretch();

    connect(browse, &QPushButton::clicked, this, &TSetFile::Browse);
    connect(edit, &QPushButton::clicked, this, &TSetFile::EditPattern);
    connect(size_, &QSpinBox::valueChanged, this, &TSetFile::RedrawEstimate);
    RedrawPreview();
    RedrawEstimate();
}

FilePageChoice TSetFile::choice() const {
    return {directory_->text(), size_->value(), pattern_, instanceMode_};
}

QString TSetFile::estimateText() const {
    return estimate_->text();
}

QString TSetFile::previewText() const {
    return preview_->text();
}

void TSetFile::Browse() {
    TDirPick picker(directory_->text(), this);
    if (picker.exec() == QDialog::Accepted) {
        directory_->setText(picker.chosenFolder());
    }
}

void TSetFile::EditPattern() {
    TPatternDialog dialog(pattern_, instanceMode_, formats_.defaultAudioFormat, clock_, this);
    if (dialog.exec() == QDialog::Accepted) {
        pattern_ = dialog.pattern();
        instanceMode_ = dialog.instanceMode();
        RedrawPreview();
    }
}

void TSetFile::RedrawPreview() {
    const FileInstanceMode mode = (instanceMode_ & 1) ? InstanceWhenRequired : InstanceAlways;
    preview_->setText(FormatPatternPreview(pattern_, mode, formats_.defaultAudioFormat, clock_));
}

void TSetFile::RedrawEstimate() {
    if (const auto text = RecordingTimeEstimate(formats_, size_->value())) {
        estimate_->setText(*text);
    }
}

bool TSetFile::Validate() {
    const TypedFolder folder = AbsoluteFolder(directory_->text());
    if (!folder.error.isEmpty()) {
        MessageBox(folder.error, "Plumora", MessageIcon::Error);
        directory_->setFocus();
        return false;
    }
    return true;
}

void TSetFile::Apply() {
    StoreFileChoice(choice(), files_);
}
