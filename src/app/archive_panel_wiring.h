#pragma once

class App;
class QWidget;
class TArchDialog;

// The Archive tab with what it takes from the rest of the program: the
// recording directory and output device, the event times of its groups,
// the recent-recordings list.
TArchDialog* MakeArchivePanel(App& app, QWidget* parent);
