#include "prefs/format_page_layout.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "prefs/compression_list.h"
#include "prefs/settings_values.h"

QGroupBox* MakeChannelGroup(QWidget* parent, QRadioButton** mono, QRadioButton** stereo) {
    auto* group = new QGroupBox("&Channels", parent);
    *mono = new QRadioButton("&Mono", group);
    *stereo = new QRadioButton("&Stereo", group);
    (*mono)->setObjectName("mono");
    (*stereo)->setObjectName("stereo");
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(*mono);
    layout->addWidget(*stereo);
    return group;
}

QComboBox* MakeSampleRateBox(QWidget* parent, const QStringList& rates) {
    auto* box = new QComboBox(parent);
    box->setObjectName("sampleRate");
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(rates);
    box->lineEdit()->setMaxLength(9);
    return box;
}

void AddLabelledRow(QBoxLayout* layout, const QString& label, QWidget* field) {
    auto* row = new QHBoxLayout;
    auto* text = new QLabel(label, field->parentWidget());
    text->setBuddy(field);
    text->setMinimumWidth(text->sizeHint().width());
    row->addWidget(text);
    row->addWidget(field, 1);
    layout->addLayout(row);
}

void FillCompressionBox(QComboBox* box, const CompressionList& list) {
    const QSignalBlocker quiet(box);
    box->clear();
    for (const CompressionEntry& entry : list.entries) {
        box->addItem(entry.label);
    }
    box->setCurrentIndex(list.selected);
}

int SampleRateIn(const QComboBox* box) {
    return settings_values::ParseInt(box->currentText().left(9)).value_or(0);
}

void RequestQueuedOnce(QObject* context, bool& pending, std::function<void()> rebuild) {
    if (pending) {
        return;
    }
    pending = true;
    QMetaObject::invokeMethod(
        context,
        [&pending, rebuild = std::move(rebuild)] {
            pending = false;
            rebuild();
        },
        Qt::QueuedConnection);
}
