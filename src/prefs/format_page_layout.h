#pragma once

#include <QStringList>
#include <functional>

class QBoxLayout;
class QComboBox;
class QGroupBox;
class QObject;
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
// The rate typed or chosen in a sample-rate list; 0 when it is no number.
int SampleRateIn(const QComboBox* box);
// Runs `rebuild` once from the event loop however often it is asked for
// before then, so the rebuild sees the text an edit has just put in place.
// `pending` is the caller's flag for the run that is waiting.
void RequestQueuedOnce(QObject* context, bool& pending, std::function<void()> rebuild);
