#pragma once

#include <QByteArray>
#include <QObject>
#include <functional>
#include <optional>

#include "app/action_block.h"

class LocalMessageServer;
struct LocalMessage;

// The name under which the running program answers a second start of itself
// and the companion TV application.
inline constexpr char kInstanceName[] = "Plumora";
inline constexpr int kStartingInstanceWaitMs = 15000;

// Looks for a running instance and hands the actions to it. Nothing when no
// instance runs (this process is to become the program); otherwise the exit
// code for this process: the running instance's answer when actions were
// handed over, 0 when it was only brought to the front, 2 when it did not
// answer. A process that finds none takes the instance lock in the same
// step; one that finds the lock taken waits up to kStartingInstanceWaitMs for
// the other start to listen.
// A start without actions passes on its activation token, so that the
// running program's window may take the focus.
std::optional<int> HandOverToRunningInstance(const ActionBlock& actions,
                                             const QByteArray& activationToken = {});

// Receives what other processes send to the running program: action blocks
// of a second start, requests to come to the front, tuner requests of the
// companion TV application.
class InstanceServer : public QObject {
    Q_OBJECT
  public:
    struct Handlers {
        // A valid action block with at least one flag arrived.
        std::function<void(const ActionBlock&)> actions;
        // A second start without actions: show the window, with the
        // activation token of that start (empty when it had none).
        std::function<void(const QByteArray& activationToken)> bringToFront;
        // A tuner request for a sharing group; returns the answer.
        std::function<int(int group)> tunerRequest;
        // Tune up or down, volume up or down (the message number), asked for
        // by another program.
        std::function<void(unsigned msg)> radioMessage;
    };

    explicit InstanceServer(Handlers handlers, QObject* parent = nullptr);
    ~InstanceServer() override;

    bool Listen();

    // Handles one message; answers as the window would. Public for tests.
    qint32 Handle(const LocalMessage& message);

  private:
    Handlers handlers_;
    LocalMessageServer* server_;
};
