#include "archive/recording_in_use.h"

#include <QFile>

#include "media/file_io.h"
#include "media/media_file.h"

bool RecordingInUse(const QString& path) {
    BufferedFile file;
    if (!file.Open(QFile::encodeName(path).toStdString(), kOpenReadWrite | kOpenDenyWrite)) {
        return true;
    }
    file.Close();
    return false;
}
