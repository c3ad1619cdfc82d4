#include "radio/radio_wizard.h"

#include <QLabel>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWizardPage>

#include "prefs/set_sound_page.h"
#include "radio/radio_settings.h"

namespace {

// A page that only shows its texts.
class TStaticPropertyPage : public QWizardPage {
  public:
    TStaticPropertyPage(const QString& title, const QString& dialogTitle,
                        const QStringList& texts) {
        setTitle(title);
        setObjectName(dialogTitle);
        auto* layout = new QVBoxLayout(this);
        for (const QString& text : texts) {
            auto* label = new QLabel(text, this);
            label->setWordWrap(true);
            layout->addWidget(label);
        }
        layout->addStretch();
    }
};

// Holds a property page of the Options sheet as a wizard page.
class PageFrame : public QWizardPage {
  public:
    PageFrame(const QString& title, QWidget* page, std::function<bool()> onLeave = {})
        : onLeave_(std::move(onLeave)) {
        setTitle(title);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(page);
    }
    bool validatePage() override { return !onLeave_ || onLeave_(); }

  private:
    std::function<bool()> onLeave_;
};

}  // namespace

bool NeedsRadioWizard(const RadioSettings& radio) {
    return radio.vendor == kNoRadioModel;
}

TRadioWizard::TRadioWizard(RadioSettings& radio, SoundDeviceSettings& sound, TunerLister tuners,
                           SoundDeviceSources sources, QWidget* parent)
    : QWizard(parent) {
    setObjectName(kRadioWizardTitle);
    setWindowTitle(kRadioWizardTitle);
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage);

    radioPage_ = new TSetRadio(radio, kWizardBack | kWizardNext, std::move(tuners));
    soundPage_ = new TSetSound(sound, std::move(sources));
    connect(radioPage_, &TPropertyPage::helpRequested, this, &TRadioWizard::helpRequested);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            [this] { emit helpRequested(kRadioHelpTopic); });

    setPage(kIntroduction,
            new TStaticPropertyPage(
                "Introduction: Selecting Radio Card", "Radio Select Introduction",
                {"You will now tell this program which PC radio device is installed in your "
                 "system.",
                 "You may change this information at any time in the Options menu, so don't "
                 "worry if you don't know the precise model of your radio card.",
                 "Click on the Next button."}));
    setPage(kRadio, new PageFrame("Selecting Radio Card", radioPage_,
                                  [this] { return radioPage_->StoreForWizard(); }));
    setPage(kSoundIntroduction,
            new TStaticPropertyPage(
                "Configuring for Sound Card", "Radio Select Continued",
                {"You will now tell this program how the PC radio device is connected to the "
                 "sound card in your system.",
                 "You may change this information at any time in the Options menu, so don't "
                 "worry if you are not sure of the correct settings.",
                 "Click on the Next button."}));
    setPage(kSound, new PageFrame("Configure Sound Card", soundPage_));
    setStartId(kIntroduction);
}

void TRadioWizard::accept() {
    radioPage_->Apply();
    soundPage_->Apply();
    QWizard::accept();
}
