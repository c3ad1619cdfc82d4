#pragma once

#include <QWizard>

#include "prefs/set_sound_page.h"
#include "radio/set_radio_page.h"

struct RadioSettings;
struct SoundDeviceSettings;
class TSetSound;

inline constexpr const char* kRadioWizardTitle = "Select Radio Card";

// True while no radio model has been chosen, the first-run wizard's cue.
bool NeedsRadioWizard(const RadioSettings& radio);

// The first-run wizard "Select Radio Card": an introduction, the Radio page,
// a word about the sound card, and the Sound device page. Next (or Back) on
// the Radio page stores model, port and the exit rule at once; Finish stores
// both pages. Cancel keeps what Next stored.
class TRadioWizard : public QWizard {
    Q_OBJECT
  public:
    enum PageId { kIntroduction, kRadio, kSoundIntroduction, kSound };

    TRadioWizard(RadioSettings& radio, SoundDeviceSettings& sound,
                 TunerLister tuners = SystemTunerLister(),
                 SoundDeviceSources sources = SoundDeviceSources::System(),
                 QWidget* parent = nullptr);

    TSetRadio* radioPage() const { return radioPage_; }
    TSetSound* soundPage() const { return soundPage_; }

    void accept() override;

  signals:
    void helpRequested(const QString& topic);

  private:
    TSetRadio* radioPage_;
    TSetSound* soundPage_;
};
