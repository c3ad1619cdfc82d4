#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>

// An X server of the test's own (Xvfb on a display it picks), ended with
// the object; not running when Xvfb is not installed.
class VirtualXServer {
  public:
    VirtualXServer() {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty()) {
            return;
        }
        server_.start("Xvfb",
                      {"-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp"});
        while (server_.waitForReadyRead(20000) && !server_.canReadLine()) {
        }
        const QByteArray number = server_.readLine().trimmed();
        if (!number.isEmpty()) {
            display_ = ":" + number;
        }
    }
    ~VirtualXServer() {
        server_.terminate();
        server_.waitForFinished(10000);
    }
    VirtualXServer(const VirtualXServer&) = delete;
    VirtualXServer& operator=(const VirtualXServer&) = delete;

    bool running() const { return !display_.isEmpty(); }
    // ":<n>", for DISPLAY or xcb_connect.
    const QByteArray& display() const { return display_; }

  private:
    QProcess server_;
    QByteArray display_;
};
