#pragma once

#include <QString>
#include <array>

#include "sched/scheduled_event.h"

class SettingsKey;
class EventTable;

// Read and write the table and its switch under the settings key; a missing
// or unreadable value takes its default.
void LoadEvents(const SettingsKey& key, EventTable& table);
void SaveEvents(SettingsKey& key, const EventTable& table);

// The scheduled events in insertion order, without gaps, and the switch that
// lets them fire.
class EventTable {
  public:
    static constexpr int kSlots = 50;
    static constexpr int kMaxEvents = kSlots - 1;

    int count() const { return count_; }
    // index must be from 0 to count() - 1.
    const ScheduledEvent& at(int index) const { return slots_[index]; }

    // Appends the event; an event of the same name (case ignored) is removed
    // first. Refused when the table holds kMaxEvents events already, even
    // when the event would replace one.
    bool Add(const ScheduledEvent& event);
    // Removes the first event of that name (case ignored); the events after
    // it move down, keeping their order. False when there is none.
    bool Remove(const QString& name);
    // Removes the event at index, like Remove; false for an index outside
    // the table.
    bool RemoveAt(int index);
    // Index of the first event of that name (case ignored), or -1.
    int Find(const QString& name) const;
    // Writes the event into its place; false for an index outside the table.
    bool Replace(int index, const ScheduledEvent& event);
    void Clear();

    bool timerEnable() const { return timerEnable_; }
    void setTimerEnable(bool enable) { timerEnable_ = enable; }

    // Slots beyond count() are always cleared, so equal tables compare equal.
    bool operator==(const EventTable&) const = default;

  private:
    friend void LoadEvents(const SettingsKey& key, EventTable& table);

    std::array<ScheduledEvent, kSlots> slots_{};
    int count_ = 0;
    bool timerEnable_ = true;
};
