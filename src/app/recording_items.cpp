#include "app/recording_items.h"

#include "audio/srecord.h"
#include "media/media_file.h"

namespace {

constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

namespace recording_items {

QString TimecodeItem(std::time_t startTime, const QString& eventName, float frequency) {
    QString item = QStringLiteral("SAMPLE\tTIMECODE\r\n");
    item += QString::asprintf("%lu\t%lu\r\n", 0UL, static_cast<unsigned long>(startTime));
    item += eventName.isEmpty() ? QStringLiteral("EVENT <unscheduled>\r\n")
                                : QStringLiteral("EVENT ") + eventName + QStringLiteral("\r\n");
    item += QString::asprintf("STATION %.4f\r\n", frequency);
    return item;
}

QString TitleText(const QString& eventName, float frequency, const std::tm& start,
                  const std::tm& today) {
    const char* month = kMonths[today.tm_mon >= 0 && today.tm_mon < 12 ? today.tm_mon : 0];
    if (eventName.isEmpty()) {
        return QString::asprintf("%.2f %2.2d:%2.2d %s%d", frequency, start.tm_hour, start.tm_min,
                                 month, today.tm_mday);
    }
    return eventName + QString::asprintf(" %s%d", month, today.tm_mday);
}

RecordingItems Make(const RecordingItemsInput& input) {
    return {
        {kTimecodeTagName,
         TimecodeItem(input.startTime, input.eventName, input.frequency).toStdString()},
        {"title", TitleText(input.eventName, input.frequency, input.start, input.today)
                      .toUtf8()
                      .toStdString()},
        {"year", std::to_string(input.today.tm_year + 1900)},
        {"comment", QString::asprintf("%.2f", input.frequency).toStdString()},
    };
}

bool Write(SRecord& recorder, const RecordingItems& items) {
    bool ok = true;
    for (const auto& [name, text] : items) {
        ok = recorder.SetTag(name, text) && ok;
    }
    return ok;
}

}  // namespace recording_items
