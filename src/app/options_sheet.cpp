#include "app/options_sheet.h"

#include <QDialogButtonBox>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

#include "archive/set_file_page.h"
#include "prefs/set_app_page.h"
#include "prefs/set_mp3_page.h"
#include "prefs/set_vorbis_page.h"
#include "prefs/set_wave_page.h"

QString OptionsPageHelpTopic(const QString& title) {
    return "Options_" + QString(title).replace(' ', '_') + ".html";
}

TOptionsSheet::TOptionsSheet(SettingsRecords& settings, OptionsSheetHooks hooks, Clock& clock,
                             QWidget* parent)
    : QDialog(parent),
      settings_(settings),
      draft_(settings),
      defaultFormat_(settings.formats.defaultAudioFormat),
      hooks_(std::move(hooks)) {
    setObjectName("Options");
    setWindowTitle("Options");
    tabs_ = new QTabWidget(this);
    tabs_->setUsesScrollButtons(false);  // every page title stays in sight

    AddPage(new TSetApp(draft_.general, hooks_.setTopmost), "General");
    AddPage(new TSetWave(draft_.formats, defaultFormat_, hooks_.codecs), "Wave");
    AddPage(new TSetMp3(draft_.formats, defaultFormat_, hooks_.codecs), "Mp3");
    AddPage(new TSetVorbis(draft_.formats, defaultFormat_), "Vorbis");
    AddPage(new TSetFile(draft_.files, settings_.formats, clock), "File");
    AddPage(new TSetRadio(draft_.radio, 0, hooks_.tuners), "Radio");
    AddPage(new TSetStation(settings_.presets, settings_.radioPanel.bank, hooks_.frequency,
                            hooks_.hasAmBand, hooks_.editStation),
            "Stations");
    AddPage(new TSetSound(draft_.sound, hooks_.sound), "Sound device");

    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TOptionsSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto showPageHelp = [this] {
        OpenHelp(OptionsPageHelpTopic(tabs_->tabText(tabs_->currentIndex())));
    };
    connect(buttons, &QDialogButtonBox::helpRequested, this, showPageHelp);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            showPageHelp);
}

void TOptionsSheet::OpenHelp(const QString& topic) {
    if (hooks_.openHelp) {
        hooks_.openHelp(topic);
    }
}

void TOptionsSheet::AddPage(TPropertyPage* page, const QString& title) {
    pages_.push_back(page);
    tabs_->addTab(page, title);
    connect(page, &TPropertyPage::helpRequested, this, &TOptionsSheet::OpenHelp);
}

void TOptionsSheet::accept() {
    for (TPropertyPage* page : pages_) {
        if (!page->Validate()) {
            tabs_->setCurrentWidget(page);
            return;
        }
    }
    for (TPropertyPage* page : pages_) {
        page->Apply();
    }
    draft_.formats.defaultAudioFormat = defaultFormat_;
    settings_.general = draft_.general;
    settings_.formats = draft_.formats;
    settings_.files = draft_.files;
    settings_.radio = draft_.radio;
    settings_.sound = draft_.sound;
    QDialog::accept();
}
