#pragma once

// Numbers of the window messages that travel between the program's windows,
// its worker threads, a second start of the program and the companion TV
// application. They keep their historic values because peers rely on them.

constexpr unsigned WM_COPYDATA = 0x004A;
// A command of a menu, accelerator or button: wParam is the command id.
constexpr unsigned WM_COMMAND = 0x0111;
constexpr unsigned WM_USER = 1024;
// A control of a mixer changed; the mixer posts it to its window.
constexpr unsigned WM_MIXER_CONTROL_CHANGE = 0x03D1;

constexpr unsigned WM_PANEL_ACTIVATED = 1075;
constexpr unsigned WM_TRAY_RESTORE = 1083;
constexpr unsigned WM_RADIO_RESET = 1102;
constexpr unsigned WM_REMOTE_COMMAND = 1103;
constexpr unsigned WM_RECORD_LIMIT = 1115;
constexpr unsigned WM_TRAY_NOTIFY = 1125;
constexpr unsigned WM_HIDE_TO_TRAY = 1145;
constexpr unsigned WM_VOLUME_UP = 1156;
constexpr unsigned WM_VOLUME_DOWN = 1157;
constexpr unsigned WM_TUNE_UP = 1159;
constexpr unsigned WM_TUNE_DOWN = 1160;
constexpr unsigned WM_TUNER_ARBITRATION = 1171;
constexpr unsigned WM_AUDIO_PROGRESS = 1193;
constexpr unsigned WM_APPLY_SETTINGS = 1323;
constexpr unsigned WM_STATE_ICONS = 1394;
constexpr unsigned WM_RECORDER_RESTART = 1401;

// Copy-data tag of an action hand-over from a second start of the program.
constexpr unsigned kActionCopyDataTag = 42;
// wParam of WM_REMOTE_COMMAND that means "apply the action block".
constexpr unsigned kRemoteApplyActions = 42;
// Tuner-sharing: lParam of our query, and the answer that keeps the tuner.
constexpr int kTunerQueryLParam = 13;
constexpr int kTunerRefused = 15;
