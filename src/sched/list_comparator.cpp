#include "sched/list_comparator.h"

#include "sched/event_row_text.h"

int ListComparator::Compare(const ScheduledEvent& a, const ScheduledEvent& b, int column,
                            SortDirection direction) const {
    int result;
    switch (column) {
        case kColumnStation:
            result = static_cast<int>((a.frequency - b.frequency) * 1000);
            break;
        case kColumnTime:
            result = (a.startHour - b.startHour) * 60 + a.startMinute - b.startMinute;
            break;
        case kColumnFiles:
            result = a.keep - b.keep;
            break;
        case kColumnAction:
            result = a.action - b.action;
            break;
        default:
            result = a.name.compare(b.name, Qt::CaseInsensitive);
            break;
    }
    return direction == SortDirection::Descending ? -result : result;
}

void ListSortState::Click(int column) {
    if (column == column_) {
        direction_ = direction_ == SortDirection::Ascending ? SortDirection::Descending
                                                            : SortDirection::Ascending;
    } else {
        column_ = column;
        direction_ = SortDirection::Ascending;
    }
}
