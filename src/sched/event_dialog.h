#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "sched/preset_stations.h"
#include "sched/scheduled_event.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

// The "Event" dialog: edits a copy of one scheduled event. The copy is
// written only when the dialog ends with OK; on a bad field (name, station,
// times, days, action) it says which and stays open.
class TEventDialog : public QDialog {
    Q_OBJECT
  public:
    using HelpOpener = std::function<void(const QString& topic)>;

    TEventDialog(const ScheduledEvent& event, const PresetStations& presets, HelpOpener openHelp,
                 QWidget* parent = nullptr);

    // The edited event; read it after OK.
    const ScheduledEvent& event() const { return event_; }

    QLineEdit* nameEdit() const { return name_; }
    QComboBox* stationBox() const { return station_; }
    QLineEdit* startEdit() const { return start_; }
    QLineEdit* endEdit() const { return end_; }
    QCheckBox* dayBox(int day) const { return days_[day]; }
    QComboBox* actionBox() const { return action_; }
    QComboBox* keepBox() const { return keep_; }

    // Asked on OK with the typed name: the name of the event this one would
    // replace (same name, case ignored), or empty. A replacement needs the
    // user's yes.
    void SetReplacedNameLookup(std::function<QString(const QString& name)> lookup) {
        replacedName_ = std::move(lookup);
    }

    void accept() override;

  private:
    bool StoreFields();
    bool Refuse(const QString& message, QWidget* field);

    ScheduledEvent event_;
    HelpOpener openHelp_;
    std::function<QString(const QString&)> replacedName_;
    QLineEdit* name_;
    QComboBox* station_;
    QLineEdit* start_;
    QLineEdit* end_;
    std::array<QCheckBox*, 7> days_{};
    QComboBox* action_;
    QComboBox* keep_;
};
