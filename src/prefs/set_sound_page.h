#pragma once

#include <QStringList>

#include "audio/smixer.h"
#include "prefs/property_page.h"

class QCheckBox;
class QComboBox;
struct SoundDeviceSettings;

inline constexpr const char* kDefaultDeviceEntry = "<default>";

// Where the Sound device page finds devices and mixers; the machine's ALSA
// devices unless replaced.
struct SoundDeviceSources {
    SMixer::DeviceLister devices;
    SMixer::BackendOpener openMixer;

    static SoundDeviceSources System();
};

// "<default>" and every device name, sorted; a configured device that is
// not listed (a card that is unplugged) is kept in the list.
QStringList SoundDeviceEntries(const std::vector<WaveDeviceCaps>& devices,
                               const QString& configured);
// The entry a device setting selects: "<default>" for "-1".
QString SoundDeviceSelection(const QString& configured);
// The input lines of the input device's mixer and "<not connected>"; empty
// when that mixer cannot be opened.
QStringList MixerLineEntries(const SoundDeviceSources& sources, const QString& inputDevice);
// Index of the first entry that begins with the text, ignoring case; -1.
int FindEntryStartingWith(const QStringList& entries, const QString& text);
// The mixer line entry that stands for the stored line: the first entry
// beginning with its name, else the first line of the kind the name stands
// for (the sound card's "Line" for "Line-In"); -1 when there is none.
int FindMixerLineEntry(const QStringList& entries, const QString& stored);

// "Sound device": input and output devices, the tuner's mixer line, and
// whether the program may change the mixer.
class TSetSound : public TPropertyPage {
    Q_OBJECT
  public:
    TSetSound(SoundDeviceSettings& settings,
              SoundDeviceSources sources = SoundDeviceSources::System(), QWidget* parent = nullptr);

    void Apply() override;
    void FillMixerLines();

  private:
    SoundDeviceSettings& settings_;
    SoundDeviceSources sources_;
    QComboBox* output_;
    QComboBox* input_;
    QComboBox* mixerLine_;
    QCheckBox* changeMixer_;
    QCheckBox* mixerStream_;
};
