#pragma once

#include <gtest/gtest.h>
#include <signal.h>

#include <QProcess>
#include <QStringList>
#include <cstdint>
#include <ctime>
#include <string>

// The recording child of the crash tests (crash_recorder_main.cpp): it
// records and then waits until it is killed.
class CrashChild {
  public:
    // Starts it and waits until it says it has written everything; fails
    // the test otherwise. riffLimit: the largest plain RIFF of a WAVE
    // recording (0: the default).
    void Record(const std::string& path, int buffers, int bufferBytes, std::time_t start,
                int64_t riffLimit = 0) {
        QStringList arguments = {QString::fromStdString(path), QString::number(buffers),
                                 QString::number(bufferBytes), QString::number(start)};
        if (riffLimit > 0) {
            arguments << QString::number(riffLimit);
        }
        process_.start(MEDIA_CRASH_RECORDER, arguments);
        ASSERT_TRUE(process_.waitForStarted(10000));
        QByteArray said;
        while (!said.contains("recorded") && process_.state() == QProcess::Running) {
            process_.waitForReadyRead(1000);
            said += process_.readAllStandardOutput();
        }
        ASSERT_TRUE(said.contains("recorded")) << process_.readAllStandardError().toStdString();
    }

    void Kill() {
        ASSERT_EQ(::kill(static_cast<pid_t>(process_.processId()), SIGKILL), 0);
        ASSERT_TRUE(process_.waitForFinished(10000));
        EXPECT_EQ(process_.exitStatus(), QProcess::CrashExit);
    }

    ~CrashChild() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(10000);
        }
    }

  private:
    QProcess process_;
};
