#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <span>
#include <vector>

// The radio models the program supports, as the user picks them on the Radio
// page, with the driver each one needs and the ports it can sit on.

// Configured model id when no model has been chosen yet.
constexpr int kNoRadioModel = -1;
// Id of the "<no radio>" row.
constexpr int kNoRadioModelRow = 6;
// Id of the SDR receiver row.
constexpr int kSdrRadioModel = 26;
// Port value when none has been chosen yet.
constexpr int kNoPortValue = -1;

// What to do with the radio when the program exits ("OnExit").
enum OnExitRule : int { kOnExitNoMute = 0, kOnExitMute = 1, kOnExitAsk = 2 };
// State of the radio when the program starts ("StartMute").
enum StartMuteRule : int { kStartNoMute = 0, kStartMute = 1, kStartLastState = 2 };

// The driver class a model is driven by.
enum class RadioDriver {
    SRadioTrack2,
    SRadioTrack,
    SAztechRadio,
    SRadioMan,
    SWinTV,
    STvDM,
    SPCTVStudio,
    SWizard,
    SUsbRadio,
    SRadioCard,
    SVoodoo3500,
    SZoltrix108,
    SCadet,
    SRadioShark,
    SSILabs,
    SNoRadio,
    SSdrRadio,
};

// The choices of the port list for a model. A to D are fixed I/O port or COM
// port lists, E the installed TV tuner devices, F the SDR receivers, the rest
// one entry each.
enum class PortList { A, B, C, D, E, F, Default, Usb, None };

struct PortChoice {
    QString text;  // shown in the list and stored as "PortString"
    int port;      // stored as "PortAddress"
    // Stored as "PortString" instead of the text when not empty (list F).
    QString stored = {};

    bool operator==(const PortChoice&) const = default;
    QString StoredText() const { return stored.isEmpty() ? text : stored; }
};

struct RadioModel {
    int id;
    const char* name;
    RadioDriver driver;
    PortList ports;
    // STvDM: fixed prefix of the tuner device's name; nullptr means the
    // configured port text names the device.
    const char* tunerNameFilter = nullptr;
    // STvDM: open the tuner in FM-radio mode instead of TV-tuner mode.
    bool tunerRadioMode = false;
    // SSILabs: USB ids of the stick.
    quint16 usbVendorId = 0;
    quint16 usbProductId = 0;
    // Tuner-sharing groups (1 to 5) this model belongs to, bit g for group g.
    quint8 sharingGroups = 0;

    bool InSharingGroup(int group) const {
        return group >= 1 && group <= 7 && (sharingGroups & (1u << group)) != 0;
    }
};

// All models, in the order the Radio page adds them.
std::span<const RadioModel> RadioModels();

// The row of a model id; nullptr for an id without a row.
const RadioModel* FindRadioModel(int id);

// The entries of a port list. List E is made of the given tuner device names,
// each with port value 0.
std::vector<PortChoice> PortChoicesFor(PortList list, const QStringList& tunerDevices = {});

// The device name a TV tuner model opens: its fixed filter, else the
// configured port text.
QString TunerDeviceName(const RadioModel& model, const QString& portString);

// The capture device recordings and the pass-through use with a model: the
// SDR model's own audio, the configured sound card input otherwise.
QString CaptureDeviceFor(int model, const QString& waveInDriver);
// Whether the model's driver plays its audio itself, so that the sound card
// pass-through must stay off.
bool PlaysItsOwnAudio(int model);
