#pragma once

#include <QString>

class QMimeData;

// What a recording dragged out of the archive offers other programs: the
// file's URL as text/uri-list, nothing else. The caller owns the result.
QMimeData* RecordingMimeData(const QString& path);
