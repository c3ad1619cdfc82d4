#include "archive/pattern_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "archive/recording_path.h"
#include "prefs/settings_values.h"

namespace {

struct CodeRow {
    const char* code;
    const char* text;
};

constexpr CodeRow kCodeRows[] = {
    {"", "Choose format code to add:"},
    {"%a", "%a Abbreviated weekday name"},
    {"%A", "%A Full weekday name"},
    {"%b", "%b Abbreviated month name"},
    {"%B", "%B Full month name"},
    {"%d", "%d Day of month (01 - 31)"},
    {"%H", "%H Hour (00 - 23)"},
    {"%I", "%I Hour (01 - 12)"},
    {"%j", "%j Day of year (001 - 366)"},
    {"%m", "%m Month number (1 - 12)"},
    {"%M", "%M Minute (00 - 59)"},
    {"%p", "%p AM or PM"},
    {"%S", "%S Two-digit second (00 - 59)"},
    {"%w", "%w Weekday where 0 is Sunday (0 - 6)"},
    {"%y", "%y Two-digit year (00 to 99)"},
    {"%Y", "%Y Year with century"},
    {"%Z", "%Z Time zone name"},
};

// Drops refused characters as they are typed or pasted.
class PatternValidator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override {
        pos = static_cast<int>(WithoutRefusedCharacters(input.left(pos)).size());
        input = WithoutRefusedCharacters(input);
        return Acceptable;
    }
};

}  // namespace

QStringList PatternCodeRows() {
    QStringList rows;
    for (const CodeRow& row : kCodeRows) {
        rows << row.text;
    }
    return rows;
}

QString PatternCodeOfRow(int row) {
    if (row < 0 || row >= static_cast<int>(std::size(kCodeRows))) {
        return QString();
    }
    return kCodeRows[row].code;
}

QString WithoutRefusedCharacters(const QString& text) {
    QString result;
    const QString refused = kRefusedPatternCharacters;
    for (const QChar c : text) {
        if (!refused.contains(c)) {
            result += c;
        }
    }
    return result;
}

TPatternDialog::TPatternDialog(const QString& pattern, quint8 instanceMode, int defaultAudioFormat,
                               Clock& clock, QWidget* parent)
    : QDialog(parent),
      modeBits_(instanceMode),
      defaultAudioFormat_(defaultAudioFormat),
      clock_(clock) {
    setObjectName("File name pattern");
    setWindowTitle("File name pattern");
    field_ = new QLineEdit(pattern, this);
    field_->setObjectName("pattern");
    field_->setMaxLength(settings_values::kMaxTextLength);
    field_->setValidator(new PatternValidator(field_));
    auto* fieldLabel =
        new QLabel("&File name pattern (with date/time abbreviation, no extension)", this);
    fieldLabel->setBuddy(field_);
    preview_ = new QLabel(this);
    preview_->setObjectName("preview");
    preview_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    codes_ = new QComboBox(this);
    codes_->setObjectName("codes");
    codes_->addItems(PatternCodeRows());
    auto* insert = new QPushButton("&Insert code", this);
    insert->setObjectName("insert");
    insert->setAutoDefault(false);

    auto* instance = new QGroupBox("Instance", this);
    always_ = new QRadioButton("&Always append filename instance number ( _1 )", instance);
    always_->setObjectName("always");
    whenRequired_ = new QRadioButton("&Only append instance number when required.", instance);
    whenRequired_->setObjectName("whenRequired");
    auto* instanceLayout = new QVBoxLayout(instance);
    instanceLayout->addWidget(always_);
    instanceLayout->addWidget(whenRequired_);
    ((instanceMode & 1) ? whenRequired_ : always_)->setChecked(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fieldLabel);
    layout->addWidget(field_);
    layout->addWidget(preview_);
    auto* codeRow = new QHBoxLayout;
    codeRow->addWidget(codes_, 1);
    codeRow->addWidget(insert);
    layout->addLayout(codeRow);
    layout->addWidget(instance);
    layout->addWidget(buttons);

    connect(field_, &QLineEdit::textChanged, this, &TPatternDialog::RedrawPreview);
    connect(always_, &QRadioButton::clicked, this, &TPatternDialog::RedrawPreview);
    connect(whenRequired_, &QRadioButton::clicked, this, &TPatternDialog::RedrawPreview);
    connect(insert, &QPushButton::clicked, this, &TPatternDialog::InsertCode);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    RedrawPreview();
}

QString TPatternDialog::pattern() const {
    return field_->text().left(settings_values::kMaxTextLength);
}

quint8 TPatternDialog::instanceMode() const {
    return static_cast<quint8>((modeBits_ & ~1) | (always_->isChecked() ? 0 : 1));
}

QString TPatternDialog::previewText() const {
    return preview_->text();
}

void TPatternDialog::InsertCode() {
    const QString code = PatternCodeOfRow(codes_->currentIndex());
    if (code.isEmpty()) {
        return;
    }
    field_->insert(code);  // replaces the selection, if any, at the caret
    RedrawPreview();
}

void TPatternDialog::RedrawPreview() {
    const FileInstanceMode mode = always_->isChecked() ? InstanceAlways : InstanceWhenRequired;
    preview_->setText(FormatPatternPreview(field_->text(), mode, defaultAudioFormat_, clock_));
}
