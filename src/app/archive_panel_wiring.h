#pragma once

class App;
class RecordControl;
class QWidget;
class TArchDialog;

// The Archive tab with what it takes from the rest of the program: the
// recording directory and output device, the event times of its groups,
// the recent-recordings list.
TArchDialog* MakeArchivePanel(App& app, QWidget* parent);

// A recording that ends (or stops by itself) shows in the archive at once,
// and the one being recorded may not be deleted.
void ConnectArchiveToRecordings(TArchDialog& archive, RecordControl& records);
