#pragma once

// Command ids of the menu, the accelerators, the tray menu and the radio
// panel's buttons. A command travels as WM_COMMAND with its id as wParam;
// the frame hands radio and record commands to the radio panel, which hands
// the playback commands on to the archive panel unchanged.
namespace cmd {

// File
constexpr unsigned kExit = 24310;

// Control: radio
constexpr unsigned kRadioToggle = 162;  // menu item; the Home key gives kMuteButton
constexpr unsigned kMuteButton = 139;
constexpr unsigned kTuneUp = 151;
constexpr unsigned kTuneDown = 136;     // the T- button; fine with Shift held
constexpr unsigned kTuneDownKey = 152;  // PgDn
constexpr unsigned kFineTuneUp = 153;
constexpr unsigned kFineTuneDown = 154;
constexpr unsigned kScanUp = 157;
constexpr unsigned kScanDown = 158;
constexpr unsigned kNextPreset = 159;
constexpr unsigned kPreviousPreset = 160;
constexpr unsigned kTuneDialog = 161;
constexpr unsigned kVolumeUp = 132;
constexpr unsigned kVolumeDown = 133;

// Control: recording
constexpr unsigned kRecord = 141;
constexpr unsigned kStopRecording = 142;

// Radio panel buttons
constexpr unsigned kPresetFirst = 121;  // 121 to 128
constexpr unsigned kPresetLast = 128;
constexpr unsigned kMemory = 140;
constexpr unsigned kHelpButton = 143;
constexpr unsigned kMode = 145;
constexpr unsigned kPower = 146;
constexpr unsigned kBank = 150;

// Control: playback (handed to the archive panel)
constexpr unsigned kPlayArchive = 202;
constexpr unsigned kStopPlayback = 203;
constexpr unsigned kBackMinute = 208;
constexpr unsigned kForwardMinute = 209;
constexpr unsigned kForwardSecond = 210;
constexpr unsigned kBackSecond = 211;
constexpr unsigned kPlayback212 = 212;
constexpr unsigned kPlayback213 = 213;
constexpr unsigned kTogglePlayback = 214;

// Options
constexpr unsigned kPreferences = 25006;
constexpr unsigned kMixerRecord = 25001;
constexpr unsigned kMixerPlay = 25002;
constexpr unsigned kSoundCardVolume = 25003;
constexpr unsigned kMultimediaProperties = 25015;

// Help
constexpr unsigned kHelpContents = 2001;
constexpr unsigned kUsingHelp = 2002;
constexpr unsigned kCheckUpdates = 25998;
constexpr unsigned kProductPage = 25996;
constexpr unsigned kMakerSite = 25997;
constexpr unsigned kAbout = 2009;

// Tray menu
constexpr unsigned kTrayMute = 1201;
constexpr unsigned kTrayAbout = 1202;
constexpr unsigned kTrayExit = 1203;
constexpr unsigned kTrayRestore = 1204;

}  // namespace cmd
