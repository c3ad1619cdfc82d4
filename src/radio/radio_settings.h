#pragma once

#include <QString>
#include <optional>

#include "radio/radio_models.h"

class SettingsKey;

// The configured radio model and port, and what happens to the radio at
// program start and exit.
struct RadioSettings {
    int vendor = kNoRadioModel;      // "Vendor": model id
    int portAddress = kNoPortValue;  // "PortAddress": I/O port, COM number or 0
    QString portString;              // "PortString": the port list's text
    int onExit = kOnExitMute;        // "OnExit": OnExitRule
    int startMute = kStartMute;      // "StartMute": StartMuteRule

    // Missing or unreadable values keep their defaults.
    void Load(const SettingsKey& key);
    void Save(SettingsKey& key) const;
};

// Reads a port value the way it is stored: hexadecimal digits without
// prefix, an optional sign and "0x" tolerated, anything after the digits
// ignored. The value wraps to 32 bits, so "ffffffff" and "-1" both read as
// -1. Nothing when no digit is found or the digits exceed 32 bits.
std::optional<int> ParsePortValue(const QString& text);
// The stored text of a port value ("%x" of its 32 bits).
QString FormatPortValue(int port);
