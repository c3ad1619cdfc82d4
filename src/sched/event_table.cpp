#include "sched/event_table.h"

#include <algorithm>

#include "platform/settings_hive.h"
#include "prefs/settings_values.h"
#include "sched/event_fields.h"

namespace {

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString EventKey(int i) {
    return QStringLiteral("Event%1").arg(i);
}
QString EventNameKey(int i) {
    return QStringLiteral("EventName%1").arg(i);
}

// Fills the fields in order, as far as the text supplies them; the fields
// after the first one that cannot be read keep their values.
void ParseEventText(const QString& text, ScheduledEvent& event) {
    qsizetype pos = 0;
    const auto frequency = settings_values::ScanFloat(text, &pos);
    if (!frequency) {
        return;
    }
    event.frequency = *frequency;
    int* const fields[] = {&event.days,      &event.startHour, &event.startMinute, &event.endHour,
                           &event.endMinute, &event.keep,      &event.action};
    for (int* field : fields) {
        const auto value = settings_values::ScanInt(text, &pos);
        if (!value) {
            return;
        }
        *field = *value;
    }
}

QString FormatEventText(const ScheduledEvent& e) {
    return QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8")
        .arg(settings_values::FormatFloat(e.frequency))
        .arg(e.days)
        .arg(e.startHour)
        .arg(e.startMinute)
        .arg(e.endHour)
        .arg(e.endMinute)
        .arg(e.keep)
        .arg(e.action);
}

}  // namespace

bool EventTable::Add(const ScheduledEvent& event) {
    if (count_ + 1 >= kSlots) {
        return false;
    }
    if (!event.name.isEmpty()) {
        Remove(event.name);
    }
    slots_[count_++] = event;
    return true;
}

bool EventTable::Remove(const QString& name) {
    return RemoveAt(Find(name));
}

bool EventTable::RemoveAt(int index) {
    if (index < 0 || index >= count_) {
        return false;
    }
    std::move(slots_.begin() + index + 1, slots_.begin() + count_, slots_.begin() + index);
    --count_;
    slots_[count_] = ScheduledEvent{};
    return true;
}

int EventTable::Find(const QString& name) const {
    for (int i = 0; i < count_; ++i) {
        if (SameName(slots_[i].name, name)) {
            return i;
        }
    }
    return -1;
}

bool EventTable::Replace(int index, const ScheduledEvent& event) {
    if (index < 0 || index >= count_) {
        return false;
    }
    slots_[index] = event;
    return true;
}

void EventTable::Clear() {
    slots_.fill(ScheduledEvent{});
    count_ = 0;
}

void LoadEvents(const SettingsKey& key, EventTable& table) {
    const auto enable = key.QueryByte("TimerEnable");
    table.timerEnable_ = !enable || *enable != 0;

    // A count above what the table holds (a hand-edited store) reads only the
    // first kMaxEvents events, never more than the table has slots for; the
    // rest stay in the store unread, and the next save stores the new count.
    const auto stored = key.QueryByte("EventCount");
    const int count = std::min<int>(stored.value_or(0), EventTable::kMaxEvents);

    // A name becomes the start of its recordings' file names, and pruning
    // tells the events apart by it: a name from a hand-edited store loses the
    // characters the editor refuses, and an event whose name only then
    // matches an earlier one is not loaded.
    table.Clear();
    int loaded = 0;
    for (int i = 0; i < count; ++i) {
        ScheduledEvent event;
        event.action = kActionRecordOn;
        if (const auto text = key.QueryString(EventKey(i))) {
            ParseEventText(text->left(settings_values::kMaxTextLength), event);
        }
        const QString stored = settings_values::ReadText(key, EventNameKey(i), QString(),
                                                         ScheduledEvent::kMaxNameLength);
        event.name = WithoutRefusedNameChars(stored);
        if (event.name != stored && !event.name.isEmpty() && table.Find(event.name) >= 0) {
            continue;
        }
        table.slots_[loaded++] = event;
        table.count_ = loaded;
    }
}

void SaveEvents(SettingsKey& key, const EventTable& table) {
    key.SetByte("TimerEnable", table.timerEnable() ? 1 : 0);
    int written = 0;
    for (int i = 0; i < table.count(); ++i) {
        const ScheduledEvent& event = table.at(i);
        if (event.name.isEmpty()) {
            continue;
        }
        key.SetString(EventKey(written), FormatEventText(event));
        key.SetString(EventNameKey(written), event.name);
        ++written;
    }
    key.SetByte("EventCount", static_cast<quint8>(written));
}
