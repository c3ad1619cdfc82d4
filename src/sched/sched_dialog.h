#pragma once

#include <QStringList>
#include <QWidget>
#include <functional>

#include "sched/list_comparator.h"
#include "sched/preset_stations.h"

class Clock;
class EventTable;
class QCheckBox;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TEventDialog;

// The question before events are deleted: "Delete event "News"?", or
// "Delete 2 events: "News", "Jazz"?".
QString DeleteQuestion(const QStringList& names);

// The timer panel: the list of scheduled events, the buttons that create,
// delete and edit them, and the switch for all timers. Every change goes
// to the event table at once and is followed by a save of all settings.
class TSchedDialog : public QWidget {
    Q_OBJECT
  public:
    // What the panel needs from the rest of the program.
    struct Services {
        PresetStationSource presets;                   // the 64 station presets
        std::function<float()> currentFrequency;       // the radio's frequency
        std::function<void()> saveSettings;            // saves all settings
        std::function<void(const QString&)> openHelp;  // opens a help topic
    };
    // Runs the event dialog modally and returns its result; replaceable so
    // that a caller can answer the dialog itself.
    using DialogRunner = std::function<int(TEventDialog&)>;

    TSchedDialog(EventTable& table, Clock& clock, Services services, QWidget* parent = nullptr);

    void SetDialogRunner(DialogRunner runner) { runDialog_ = std::move(runner); }

    // Empties the list and fills it from the table in table order.
    void Refill();
    void NewEvent();
    // The first selected event in the event dialog (also Enter in the list).
    void EditEvent();
    // Asks, then removes every selected event (also the Delete key).
    void DeleteEvents();
    void SortBy(int column);

    QTreeWidget* list() const { return list_; }
    QCheckBox* enableBox() const { return enable_; }
    QPushButton* newButton() const { return new_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* editButton() const { return edit_; }

    QSize sizeHint() const override;

    static constexpr char kHelpTopic[] = "Timer_tab.html";

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // F1: the timer tab's help page.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QTreeWidgetItem* MakeRow(int index) const;
    void ShowRow(QTreeWidgetItem* item) const;
    void FitColumns();
    void Save();

    EventTable& table_;
    Clock& clock_;
    Services services_;
    DialogRunner runDialog_;
    ListComparator comparator_;
    ListSortState sort_;

    QTreeWidget* list_;
    QCheckBox* enable_;
    QPushButton* new_;
    QPushButton* delete_;
    QPushButton* edit_;
};
