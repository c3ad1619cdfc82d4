#include "sched/event_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QVBoxLayout>
#include <QValidator>

#include "platform/message_box.h"
#include "sched/event_fields.h"

namespace {

// Refuses every edit that would bring a character the predicate rejects
// into the field, so such characters cannot be typed or pasted.
class CharacterValidator : public QValidator {
  public:
    CharacterValidator(bool (*allowed)(QChar), QObject* parent)
        : QValidator(parent), allowed_(allowed) {}

    State validate(QString& input, int&) const override {
        for (const QChar c : input) {
            if (!allowed_(c)) {
                return Invalid;
            }
        }
        return Acceptable;
    }

  private:
    bool (*allowed_)(QChar);
};

QComboBox* EditableBox(QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->lineEdit()->setMaxLength(kMaxEventFieldLength);
    return box;
}

QLineEdit* TimeEdit(int hour, int minute, QWidget* parent) {
    auto* edit = new QLineEdit(FormatEventTime(hour, minute), parent);
    edit->setMaxLength(kMaxEventFieldLength);
    edit->setValidator(new CharacterValidator(IsEventTimeCharAllowed, edit));
    // Room for the longest usual time, such as "12:15 am".
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00:00 pm")) +
                          edit->fontMetrics().averageCharWidth() * 3);
    return edit;
}

constexpr const char* kDayNames[7] = {"Su", "M", "Tu", "W", "Th", "F", "Sa"};
constexpr int kActionOrder[] = {kActionRecordOn, kActionRecord, kActionRadioOn, kActionNone};

}  // namespace

TEventDialog::TEventDialog(const ScheduledEvent& event, const PresetStations& presets,
                           HelpOpener openHelp, QWidget* parent)
    : QDialog(parent), event_(event), openHelp_(std::move(openHelp)) {
    setObjectName("Event");
    setWindowTitle("Event");

    name_ = new QLineEdit(event.name, this);
    name_->setMaxLength(kMaxEventFieldLength);
    name_->setValidator(new CharacterValidator(IsEventNameCharAllowed, name_));
    name_->setMinimumWidth(name_->fontMetrics().averageCharWidth() * 28);

    station_ = EditableBox(this);
    const StationChoices choices = MakeStationChoices(presets, event.frequency);
    station_->addItems(choices.entries);
    station_->setCurrentIndex(choices.selected);
    if (choices.selected < 0) {
        station_->setEditText(QString());
    }

    start_ = TimeEdit(event.startHour, event.startMinute, this);
    end_ = TimeEdit(event.endHour, event.endMinute, this);

    auto* daysGroup = new QGroupBox("&Day of week", this);
    auto* daysLayout = new QHBoxLayout(daysGroup);
    for (int day = 0; day < 7; ++day) {
        days_[day] = new QCheckBox(kDayNames[day], daysGroup);
        days_[day]->setChecked(event.days & (kDaySunday << day));
        daysLayout->addWidget(days_[day]);
    }
    // The group's mnemonic moves to its first box.
    daysGroup->setFocusProxy(days_[0]);

    action_ = EditableBox(this);
    for (const int action : kActionOrder) {
        action_->addItem(EventActionText(action));
    }
    action_->setCurrentIndex(
        action_->findText(EventActionText(event.action), Qt::MatchFixedString));
    if (action_->currentIndex() < 0) {
        action_->setEditText(QString());
    }

    keep_ = EditableBox(this);
    keep_->addItems({"All", "1", "2", "5", "10"});
    keep_->setCurrentIndex(keep_->findText(KeepText(event.keep)));
    keep_->setEditText(KeepText(event.keep));

    auto* form = new QFormLayout;
    form->addRow("Event &name", name_);
    form->addRow("&Station", station_);
    auto* times = new QHBoxLayout;
    times->addWidget(start_);
    auto* endLabel = new QLabel("&End time", this);
    endLabel->setBuddy(end_);
    times->addWidget(endLabel);
    times->addWidget(end_);
    form->addRow("Start &time", times);
    // The form made a label for the row; its mnemonic goes to the start field.
    if (auto* startLabel = qobject_cast<QLabel*>(form->labelForField(times))) {
        startLabel->setBuddy(start_);
    }
    form->addRow(daysGroup);
    form->addRow("Event &action", action_);
    form->addRow("How many event recordings to keep", keep_);

    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TEventDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TEventDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
        if (openHelp_) {
            openHelp_(QStringLiteral("Event_Dialog.html"));
        }
    });
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, buttons,
            &QDialogButtonBox::helpRequested);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    name_->setFocus();
}

bool TEventDialog::Refuse(const QString& message, QWidget* field) {
    MessageBox(message, "Event", MessageIcon::Error);
    field->setFocus();
    return false;
}

bool TEventDialog::StoreFields() {
    const QString name = name_->text();
    if (IsEventNameBlank(name)) {
        return Refuse("The event name must not be empty.", name_);
    }
    if (HasOuterBlanks(name)) {
        return Refuse("Event name: remove the blanks at its start and end.", name_);
    }
    if (replacedName_) {
        const QString replaced = replacedName_(name);
        if (!replaced.isEmpty() &&
            MessageBox(QStringLiteral("An event named \"%1\" exists already.\n"
                                      "Replace it with this event?")
                           .arg(replaced),
                       "Event", MessageIcon::Question, MessageButtons::YesNo) != IDYES) {
            name_->setFocus();
            return false;
        }
    }
    const QString station = station_->currentText();
    if (!IsStationInBand(station)) {
        return Refuse(
            "Station: choose a station of the list or type a frequency from 87.0 to "
            "108.0, or from 50.0 to 200.0 followed by AM (x10kHz).",
            station_);
    }
    const EventTime start = ParseEventTime(start_->text());
    const EventTime end = ParseEventTime(end_->text());
    if (start.hour == end.hour && start.minute == end.minute) {
        return Refuse("End time: the event must end at another time than it starts.", end_);
    }
    int days = 0;
    for (int day = 0; day < 7; ++day) {
        if (days_[day]->isChecked()) {
            days |= kDaySunday << day;
        }
    }
    if (days == 0) {
        return Refuse("Day of week: check at least one day.", days_[0]);
    }
    const auto action = ParseEventAction(action_->currentText());
    if (!action) {
        return Refuse("Must specify an event action.", action_);
    }

    event_.name = name.left(ScheduledEvent::kMaxNameLength);
    event_.frequency = ParseStationFrequency(station);
    event_.startHour = start.hour;
    event_.startMinute = start.minute;
    event_.endHour = end.hour;
    event_.endMinute = end.minute;
    event_.days = days;
    if (const auto keep = ParseKeepText(keep_->currentText())) {
        event_.keep = *keep;
    }
    event_.action = *action;
    return true;
}

void TEventDialog::accept() {
    if (StoreFields()) {
        QDialog::accept();
    }
}
