#include "sched/sched_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/post_message.h"
#include "platform/window_messages.h"
#include "sched/event_defaults.h"
#include "sched/event_dialog.h"
#include "sched/event_row_text.h"
#include "sched/event_table.h"
#include "sched/schedule_conflicts.h"

namespace {

constexpr int kIndexRole = Qt::UserRole;
constexpr int kColumnWidths[kEventColumnCount] = {100, 70, 100, 35, 70};

int IndexOf(const QTreeWidgetItem* item) {
    return item->data(kColumnProgram, kIndexRole).toInt();
}

}  // namespace

TSchedDialog::TSchedDialog(EventTable& table, Clock& clock, Services services, QWidget* parent)
    : QWidget(parent),
      table_(table),
      clock_(clock),
      services_(std::move(services)),
      runDialog_([](TEventDialog& dialog) { return dialog.exec(); }) {
    setObjectName("Timer");

    list_ = new QTreeWidget(this);
    list_->setObjectName("EventList");
    list_->setColumnCount(kEventColumnCount);
    list_->setHeaderLabels({"Program", "Station", "Time", "Files", "Action"});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionsClickable(true);
    list_->header()->setSectionsMovable(false);
    for (int column = 0; column < kEventColumnCount; ++column) {
        list_->setColumnWidth(column, kColumnWidths[column]);
    }
    list_->installEventFilter(this);

    enable_ = new QCheckBox("Enable &timers", this);
    new_ = new QPushButton("&New", this);
    delete_ = new QPushButton("&Delete", this);
    edit_ = new QPushButton("&Edit", this);
    for (QPushButton* button : {new_, delete_, edit_}) {
        button->setAutoDefault(false);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(enable_);
    buttons->addStretch(1);
    buttons->addWidget(new_);
    buttons->addWidget(delete_);
    buttons->addWidget(edit_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);

    connect(list_->header(), &QHeaderView::sectionClicked, this, &TSchedDialog::SortBy);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { EditEvent(); });
    connect(new_, &QPushButton::clicked, this, &TSchedDialog::NewEvent);
    connect(delete_, &QPushButton::clicked, this, &TSchedDialog::DeleteEvents);
    connect(edit_, &QPushButton::clicked, this, &TSchedDialog::EditEvent);

    enable_->setChecked(table_.timerEnable());
    connect(enable_, &QCheckBox::toggled, this, [this](bool checked) {
        table_.setTimerEnable(checked);
        Save();
    });

    Refill();
}

QTreeWidgetItem* TSchedDialog::MakeRow(int index) const {
    auto* item = new QTreeWidgetItem;
    item->setData(kColumnProgram, kIndexRole, index);
    ShowRow(item);
    return item;
}

void TSchedDialog::ShowRow(QTreeWidgetItem* item) const {
    const PresetStations presets = services_.presets ? services_.presets() : PresetStations{};
    const QStringList texts = EventRowTexts(table_.at(IndexOf(item)), presets);
    for (int column = 0; column < kEventColumnCount; ++column) {
        item->setText(column, texts[column]);
    }
}

void TSchedDialog::FitColumns() {
    // The columns start at their usual widths and grow to show every text.
    for (int column = 0; column < kEventColumnCount; ++column) {
        const int needed =
            std::max(static_cast<const QAbstractItemView*>(list_)->sizeHintForColumn(column),
                     list_->header()->sectionSizeHint(column));
        if (needed > list_->columnWidth(column)) {
            list_->setColumnWidth(column, needed);
        }
    }
}

void TSchedDialog::Refill() {
    list_->clear();
    QList<QTreeWidgetItem*> rows;
    for (int i = 0; i < table_.count(); ++i) {
        rows.append(MakeRow(i));
    }
    list_->addTopLevelItems(rows);
    FitColumns();
    enable_->setChecked(table_.timerEnable());
}

void TSchedDialog::Save() {
    if (services_.saveSettings) {
        services_.saveSettings();
    }
}

void TSchedDialog::NewEvent() {
    // Say so before the user fills in an event that cannot be stored.
    if (table_.count() >= EventTable::kMaxEvents) {
        MessageBox(QStringLiteral("The timer list holds %1 events, as many as it can.\n"
                                  "Delete an event before adding a new one.")
                       .arg(EventTable::kMaxEvents),
                   "Plumora", MessageIcon::Warning);
        return;
    }
    const float frequency = services_.currentFrequency ? services_.currentFrequency() : 0.0f;
    TEventDialog dialog(DefaultEvent(frequency, clock_.LocalNow()),
                        services_.presets ? services_.presets() : PresetStations{},
                        services_.openHelp, this);
    dialog.SetReplacedNameLookup([this](const QString& name) {
        const int index = table_.Find(name);
        return index < 0 ? QString() : table_.at(index).name;
    });
    if (runDialog_(dialog) == QDialog::Accepted) {
        if (!table_.Add(dialog.event())) {
            MessageBox(QStringLiteral("The event \"%1\" was not stored: the timer list is full.")
                           .arg(dialog.event().name),
                       "Plumora", MessageIcon::Warning);
        }
        Refill();
        CheckConflicts(table_);
    }
    Save();
}

void TSchedDialog::EditEvent() {
    QTreeWidgetItem* row = nullptr;
    for (int i = 0; i < list_->topLevelItemCount() && !row; ++i) {
        if (list_->topLevelItem(i)->isSelected()) {
            row = list_->topLevelItem(i);
        }
    }
    if (!row) {
        return;
    }
    const int index = IndexOf(row);
    if (index < 0 || index >= table_.count()) {
        return;
    }
    TEventDialog dialog(table_.at(index),
                        services_.presets ? services_.presets() : PresetStations{},
                        services_.openHelp, this);
    const bool accepted = runDialog_(dialog) == QDialog::Accepted;
    if (accepted) {
        table_.Replace(index, dialog.event());
        // Look the row up again: the list may have been refilled while the
        // dialog was open.
        row = nullptr;
        for (int i = 0; i < list_->topLevelItemCount() && !row; ++i) {
            if (IndexOf(list_->topLevelItem(i)) == index) {
                row = list_->topLevelItem(i);
            }
        }
        if (row) {
            ShowRow(row);
            FitColumns();
        } else {
            Refill();
        }
    }
    Save();
    if (accepted) {
        CheckConflicts(table_);
    }
}

void TSchedDialog::DeleteEvents() {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    QStringList names;
    for (const QTreeWidgetItem* item : selected) {
        names << table_.at(IndexOf(item)).name;
    }
    if (MessageBox(DeleteQuestion(names), "Plumora", MessageIcon::Question,
                   MessageButtons::YesNo) != IDYES) {
        return;
    }
    std::vector<int> removed;
    for (QTreeWidgetItem* item : selected) {
        removed.push_back(IndexOf(item));
        delete item;
    }
    // Remove from the back so that the indexes still to go stay valid.
    std::sort(removed.rbegin(), removed.rend());
    for (const int index : removed) {
        table_.RemoveAt(index);
    }
    // The rows left point at the events that moved down.
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(i);
        const int index = IndexOf(item);
        const int below = static_cast<int>(
            std::count_if(removed.begin(), removed.end(), [index](int r) { return r < index; }));
        item->setData(kColumnProgram, kIndexRole, index - below);
    }
    Save();
}

void TSchedDialog::SortBy(int column) {
    sort_.Click(column);
    QList<QTreeWidgetItem*> rows;
    while (list_->topLevelItemCount() > 0) {
        rows.append(list_->takeTopLevelItem(0));
    }
    std::stable_sort(rows.begin(), rows.end(), [this](QTreeWidgetItem* a, QTreeWidgetItem* b) {
        return comparator_.Compare(table_.at(IndexOf(a)), table_.at(IndexOf(b)), sort_.column(),
                                   sort_.direction()) < 0;
    });
    list_->addTopLevelItems(rows);
}

QSize TSchedDialog::sizeHint() const {
    // Wide enough for every column without scrolling.
    QSize hint = QWidget::sizeHint();
    const int listWidth = list_->header()->length() + 2 * list_->frameWidth() +
                          list_->verticalScrollBar()->sizeHint().width();
    const int extra = hint.width() - list_->sizeHint().width();
    hint.setWidth(std::max(hint.width(), listWidth + std::max(extra, 0)));
    return hint;
}

bool TSchedDialog::event(QEvent* event) {
    if (const WindowMessage* m = AsWindowMessage(event)) {
        if (m->msg == WM_PANEL_ACTIVATED) {
            Refill();
            list_->setFocus();
        }
        return true;
    }
    return QWidget::event(event);
}

bool TSchedDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched != list_ || event->type() != QEvent::KeyPress) {
        return QWidget::eventFilter(watched, event);
    }
    switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Delete:
            DeleteEvents();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            EditEvent();
            return true;
        default:
            return QWidget::eventFilter(watched, event);
    }
}

void TSchedDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && services_.openHelp) {
        services_.openHelp(kHelpTopic);
        return;
    }
    QWidget::keyPressEvent(event);
}

QString DeleteQuestion(const QStringList& names) {
    QStringList quoted;
    for (const QString& name : names) {
        quoted << QStringLiteral("\"%1\"").arg(name.trimmed());
    }
    if (quoted.size() == 1) {
        return QStringLiteral("Delete event %1?").arg(quoted.first());
    }
    return QStringLiteral("Delete %1 events: %2?").arg(quoted.size()).arg(quoted.join(", "));
}
