#pragma once

#include <QFile>
#include <QUuid>
#include <string>

#include "audio/log.h"

// Reads what the process's diagnostic log received after this object was
// made: it writes a marker line and later returns the text after it. The log
// file is shared by every run of the test program, and a run that starts
// empties a long log; when that has taken the marker away, all of the log is
// returned, which then holds only what came after the marker.
class ProcessLogWatch {
  public:
    ProcessLogWatch()
        : marker_("log watch " + QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString()) {
        LogWarning("%s", marker_.c_str());
    }

    std::string Since() const {
        QFile file(QString::fromStdString(ChooseLogPath(RunningExecutablePath())));
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        const std::string text = file.readAll().toStdString();
        const size_t at = text.rfind(marker_);
        return at == std::string::npos ? text : text.substr(at + marker_.size());
    }

  private:
    std::string marker_;
};
