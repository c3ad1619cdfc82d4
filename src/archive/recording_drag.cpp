#include "archive/recording_drag.h"

#include <QMimeData>
#include <QUrl>

QMimeData* RecordingMimeData(const QString& path) {
    auto* data = new QMimeData;
    data->setUrls({QUrl::fromLocalFile(path)});
    return data;
}
