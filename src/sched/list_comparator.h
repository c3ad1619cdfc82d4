#pragma once

#include "sched/scheduled_event.h"

enum class SortDirection { Ascending, Descending };

// Orders two events of the timer list by one of its columns: negative when
// a comes first, positive when b does, 0 when they rank equal.
class ListComparator {
  public:
    virtual ~ListComparator() = default;

    // Station: frequency difference in kHz; Time: start minute of the day;
    // Files: keep count; Action: action value; Program and any other
    // column: the names, case ignored. Descending negates the result.
    virtual int Compare(const ScheduledEvent& a, const ScheduledEvent& b, int column,
                        SortDirection direction) const;
};

// Which column the list was sorted by last, and which way.
class ListSortState {
  public:
    // A click on the column sorted last reverses the direction; another
    // column sorts ascending.
    void Click(int column);

    int column() const { return column_; }  // -1 before the first sort
    SortDirection direction() const { return direction_; }

  private:
    int column_ = -1;
    SortDirection direction_ = SortDirection::Ascending;
};
