#include "prefs/default_format_box.h"

DefaultFormatBox::DefaultFormatBox(const QString& text, int& sharedValue, int checkedValue,
                                   int uncheckedValue, QWidget* parent)
    : QCheckBox(text, parent),
      shared_(sharedValue),
      checkedValue_(checkedValue),
      uncheckedValue_(uncheckedValue) {
    connect(this, &QCheckBox::clicked, this,
            [this](bool checked) { shared_ = checked ? checkedValue_ : uncheckedValue_; });
    Refresh();
}

void DefaultFormatBox::Refresh() {
    setChecked(shared_ == checkedValue_);
}
