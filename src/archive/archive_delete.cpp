#include "archive/archive_delete.h"

#include <QFile>
#include <QFileInfo>

#include "archive/recording_in_use.h"
#include "media/rec_file.h"
#include "platform/message_box.h"

namespace {

bool InUse(const QString& path, const std::function<bool(const QString&)>& isRecording) {
    return (isRecording && isRecording(path)) || RecordingInUse(path);
}

void RefuseInUse(const QString& name) {
    MessageBox(
        QStringLiteral("Can't delete file\n\t   %1\nAlready in use by this or another program?")
            .arg(name),
        "Plumora", MessageIcon::Warning);
}

}  // namespace

DeleteOutcome DeleteRecording(const QString& path,
                              const std::function<bool(const QString&)>& isRecording) {
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        return DeleteOutcome::kNothing;
    }
    const QString name = QFileInfo(path).fileName().toUpper();
    if (InUse(path, isRecording)) {
        RefuseInUse(name);
        return DeleteOutcome::kInUse;
    }
    const int answer = MessageBox(QStringLiteral("OK to delete file?\n\t   %1").arg(name),
                                  "Plumora", MessageIcon::Question, MessageButtons::YesNoCancel);
    if (answer != IDYES) {
        return DeleteOutcome::kKept;
    }
    // The world may have moved while the question was open.
    if (!QFileInfo(path).isFile()) {
        return DeleteOutcome::kNothing;
    }
    if (InUse(path, isRecording)) {
        RefuseInUse(name);
        return DeleteOutcome::kInUse;
    }
    if (!QFile::remove(path)) {
        MessageBox(QStringLiteral("Can't delete file\n\t   %1").arg(name), "Plumora",
                   MessageIcon::Warning);
        return DeleteOutcome::kFailed;
    }
    const std::string recovery = RecFile::RecoveryPath(QFile::encodeName(path).toStdString());
    if (!recovery.empty()) {
        QFile::remove(QFile::decodeName(QByteArray::fromStdString(recovery)));
    }
    return DeleteOutcome::kDeleted;
}
