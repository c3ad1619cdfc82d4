#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the GUI thread, so
// that a termination runs the same close sequence as the Exit command.
class TerminationWatcher : public QObject {
    Q_OBJECT
  public:
    explicit TerminationWatcher(QObject* parent = nullptr);
    ~TerminationWatcher() override;

  signals:
    void terminationRequested();

  private:
    QSocketNotifier* notifier_ = nullptr;
};
