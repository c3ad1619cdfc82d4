#include "app/main_menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "app/command_ids.h"
#include "platform/post_message.h"
#include "platform/window_messages.h"

namespace {

// "&" in a file name is shown, not taken as a mnemonic.
QString MenuEscaped(QString text) {
    return text.replace('&', "&&");
}

}  // namespace

TMainMenu::TMainMenu(QMenuBar* bar, QObject* commandTarget) : QObject(bar), target_(commandTarget) {
    file_ = bar->addMenu("&File");
    Add(file_, cmd::kExit, "E&xit\tAlt+F4", "Save and Quit");
    connect(file_, &QMenu::aboutToShow, this, &TMainMenu::aboutToShowFile);

    control_ = bar->addMenu("&Control");
    QAction* radio = Add(control_, cmd::kRadioToggle, "Radio\tHome-cursor");
    radio->setCheckable(true);
    QMenu* tune = control_->addMenu("&Tune");
    Add(tune, cmd::kTuneUp, "Tune up\tPgUp");
    Add(tune, cmd::kTuneDown, "Tune down\tPgDn");
    Add(tune, cmd::kFineTuneUp, "Fine tune up\tShift+PgUp");
    Add(tune, cmd::kFineTuneDown, "Fine tune down\tShift+PgDn");
    tune->addSeparator();
    Add(tune, cmd::kScanUp, "Scan up\tCtrl+PgUp");
    Add(tune, cmd::kScanDown, "Scan down\tCtrl+PgDn");
    tune->addSeparator();
    Add(tune, cmd::kNextPreset, "Next preset\tCtrl+Alt+PgUp");
    Add(tune, cmd::kPreviousPreset, "Previous preset\tCtrl+Alt+PgDn");
    Add(tune, cmd::kTuneDialog, "Tune...\tCtrl+Alt+Shift+PgUp");
    control_->addSeparator();
    Add(control_, cmd::kVolumeUp, "Radio Volume Up\tAlt+Up-cursor");
    Add(control_, cmd::kVolumeDown, "Radio Volume Down\tAlt+Down-cursor");
    control_->addSeparator();
    Add(control_, cmd::kRecord, "Record\tAlt+R");
    Add(control_, cmd::kStopRecording, "Stop recording\tCtrl+Alt+S");
    control_->addSeparator();
    Add(control_, cmd::kPlayArchive, "&Play archive file\tAlt+P");
    Add(control_, cmd::kStopPlayback, "&Stop playback\tAlt+S");
    Add(control_, cmd::kTogglePlayback, "To&ggle playback\tSpace");
    QMenu* position = control_->addMenu("Positio&n");
    Add(position, cmd::kForwardMinute, "&Forward 1 minute\tRight-cursor");
    Add(position, cmd::kForwardSecond, "Forward 1 second\tShift+Right-cursor");
    Add(position, cmd::kBackMinute, "&Back 1 minute\tLeft-cursor");
    Add(position, cmd::kBackSecond, "Back 1 second\tShift+Left-cursor");
    connect(control_, &QMenu::aboutToShow, this, &TMainMenu::aboutToShowControl);

    options_ = bar->addMenu("&Options");
    Add(options_, cmd::kPreferences, "&Preferences...", "Configure program operation");
    options_->addSeparator();
    Add(options_, cmd::kMixerRecord, "&Mixer record control...\tCtrl+Shift+R");
    Add(options_, cmd::kMixerPlay, "Mixer pla&y control...\tCtrl+Shift+P");
    Add(options_, cmd::kSoundCardVolume, "Sound card &Volume...\tCtrl+V");
    Add(options_, cmd::kMultimediaProperties, "System Multimedia P&roperties...");

    help_ = bar->addMenu("&Help");
    Add(help_, cmd::kHelpContents, "&Contents", "Help table of contents");
    Add(help_, cmd::kUsingHelp, "&Using help", "Help on using online Help");
    help_->addSeparator();
    Add(help_, cmd::kCheckUpdates, "Check for &Updates");
    Add(help_, cmd::kProductPage, "Plumora product web page");
    Add(help_, cmd::kMakerSite, "Quillmoor Systems web site");
    help_->addSeparator();
    Add(help_, cmd::kAbout, "&About Plumora...", "About the program");
}

QAction* TMainMenu::Add(QMenu* menu, unsigned id, const QString& text, const QString& hint) {
    QAction* action = menu->addAction(text);
    action->setData(id);
    action->setStatusTip(hint);
    connect(action, &QAction::triggered, this,
            [this, id] { PostMessage(target_, WM_COMMAND, id); });
    actions_[id] = action;
    ordered_.append(action);
    return action;
}

QAction* TMainMenu::action(unsigned id) const {
    const auto it = actions_.find(id);
    return it != actions_.end() ? it->second : nullptr;
}

QList<QAction*> TMainMenu::commandActions() const {
    return ordered_;
}

void TMainMenu::SetRadioItem(const QString& text, bool checked) {
    QAction* radio = action(cmd::kRadioToggle);
    radio->setText(text);
    radio->setChecked(checked);
}

void TMainMenu::SetRecentRecordings(const QStringList& names) {
    qDeleteAll(recent_);
    recent_.clear();
    delete recentSeparator_;
    recentSeparator_ = nullptr;

    QAction* exit = action(cmd::kExit);
    const int count = std::min<int>(names.size(), kRecentCount);
    for (int i = 0; i < count; ++i) {
        const unsigned id = kRecentFirst + i;
        auto* entry = new QAction(QString("&%1 %2").arg(i + 1).arg(MenuEscaped(names[i])), file_);
        entry->setData(id);
        connect(entry, &QAction::triggered, this,
                [this, id] { PostMessage(target_, WM_COMMAND, id); });
        file_->insertAction(exit, entry);
        recent_.append(entry);
    }
    if (count > 0) {
        recentSeparator_ = file_->insertSeparator(exit);
    }
}
