#pragma once

#include "app/desktop_bus.h"

class SDIDecFrame;
struct SettingsRecords;

// The hooks of the session-bus objects for the main window: the state of
// the radio panel and the archive player, commands posted to the panels,
// raise and quit through the frame. The hand-over of actions is the
// application's to fill in.
DesktopBus::Hooks FrameHooks(SDIDecFrame& frame, const SettingsRecords& settings);
