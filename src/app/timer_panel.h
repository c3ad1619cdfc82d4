#pragma once

class App;
class QWidget;
class TAppDialog;

// The timer panel of the main window, on the program's event table and
// clock, with the presets, frequency and settings store of the program.
QWidget* MakeTimerPanel(App& app, const TAppDialog& radio, QWidget* parent);
