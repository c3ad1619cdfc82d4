#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "app/set_station_page.h"
#include "app/settings_records.h"
#include "prefs/compression_list.h"
#include "prefs/set_sound_page.h"
#include "radio/set_radio_page.h"

class Clock;
class QTabWidget;
class TPropertyPage;

// What the Options sheet needs from the program around it.
struct OptionsSheetHooks {
    // "Always on top" changed on the General page: applied at once.
    std::function<void(bool onTop)> setTopmost;
    // A help topic was asked for.
    std::function<void(const QString& topic)> openHelp;
    // The Stations page: the radio's current frequency and whether it has AM.
    std::function<float()> frequency;
    std::function<bool()> hasAmBand;
    // Opens the station dialog; New and Edit stay disabled without it.
    StationEditor editStation;
    // Replaceable sources of the pages' lists.
    CodecCatalog codecs = CodecCatalog::System();
    TunerLister tuners = SystemTunerLister();
    SoundDeviceSources sound = SoundDeviceSources::System();
};

// The help page of an Options page: "Options_" and its title with "_" for
// blanks ("Sound device": "Options_Sound_device.html").
QString OptionsPageHelpTopic(const QString& title);

// "Options": the General, Wave, Mp3, Vorbis, File, Radio, Stations and
// Sound device pages. The pages edit a copy of the settings; OK checks
// every page and, when all agree, stores the copy. The Stations page edits
// the live presets. Help and F1 open the help page of the page shown.
class TOptionsSheet : public QDialog {
    Q_OBJECT
  public:
    TOptionsSheet(SettingsRecords& settings, OptionsSheetHooks hooks, Clock& clock,
                  QWidget* parent = nullptr);

    QTabWidget* tabs() const { return tabs_; }
    TPropertyPage* page(int index) const { return pages_.at(index); }
    int pageCount() const { return static_cast<int>(pages_.size()); }

    void accept() override;

  private:
    void AddPage(TPropertyPage* page, const QString& title);
    void OpenHelp(const QString& topic);

    SettingsRecords& settings_;
    SettingsRecords draft_;
    int defaultFormat_;
    OptionsSheetHooks hooks_;
    QTabWidget* tabs_;
    std::vector<TPropertyPage*> pages_;
};
