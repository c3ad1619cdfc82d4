#pragma once

#include <QStringList>

class QBoxLayout;
class QComboBox;
class QGroupBox;
class QRadioButton;
class QString;
class QWidget;
struct CompressionList;

// Controls the three format pages share.

// "&Channels" with "&Mono" and "&Stereo".
QGroupBox* MakeChannelGroup(QWidget* parent, QRadioButton** mono, QRadioButton** stereo);
// An editable sample-rate list offering the given rates, nine characters at most.
QComboBox* MakeSampleRateBox(QWidget* parent, const QStringList& rates);
// A label with its mnemonic leading to the field, and the field beside it.
void AddLabelledRow(QBoxLayout* layout, const QString& label, QWidget* field);
// Shows the list's entries and selects its selected row.
void FillCompressionBox(QComboBox* box, const CompressionList& list);
