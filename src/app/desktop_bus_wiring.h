#pragma once

#include "desktop/desktop_bus.h"

class DesktopBus;
class PresetTable;
class SDIDecFrame;
struct SettingsRecords;

// The hooks of the session-bus objects for the main window: the state of
// the radio panel and the archive player, commands posted to the panels,
// the volume through the panel's slider, seeking in the archive, raise and
// quit through the frame. The hand-over of actions is the application's to
// fill in.
DesktopBus::Hooks FrameHooks(SDIDecFrame& frame, const SettingsRecords& settings);

// Tells the bus when the radio or the archive changes: mute, tuning,
// volume, recordings, playback and seeks.
void ConnectStateChanges(SDIDecFrame& frame, DesktopBus& bus);

// Why an action cannot be done, checked before it is handed over: a tune
// text that is neither a frequency nor an FM preset's name, a recording
// without a sound input device.
// True when the sound input device of the setting can be opened for
// recording now (it is opened and closed again).
bool CanOpenCaptureDevice(const QString& deviceSetting);

std::optional<BusRefusal> RefuseAction(RadioAction action, const QString& tuneText,
                                       const PresetTable& presets, bool haveCaptureDevice);
