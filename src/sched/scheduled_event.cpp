#include "sched/scheduled_event.h"

QString EventActionText(int action) {
    switch (action) {
        case kActionNone:
            return QStringLiteral("no action");
        case kActionRecord:
            return QStringLiteral("Record");
        case kActionRadioOn:
            return QStringLiteral("Radio On");
        case kActionRecordOn:
            return QStringLiteral("Record+On");
        default:
            return QStringLiteral("<undefined>");
    }
}
