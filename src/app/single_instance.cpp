#include "app/single_instance.h"

#include <QElapsedTimer>
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/local_messaging.h"
#include "platform/window_messages.h"

namespace {

// Tokens are short; anything longer is not one.
constexpr qsizetype kMaxActivationToken = 1024;

}  // namespace

std::optional<int> HandOverToRunningInstance(const ActionBlock& actions,
                                             const QByteArray& activationToken) {
    if (!LocalServerExists(kInstanceName)) {
        if (TakeLocalNameLock(kInstanceName)) {
            return std::nullopt;  // this process is the program
        }
        // Another start holds the lock and is still on its way to
        // listening: it gets the actions once it listens.
        QElapsedTimer waited;
        waited.start();
        while (!LocalServerExists(kInstanceName)) {
            if (waited.elapsed() > kStartingInstanceWaitMs) {
                std::fprintf(stderr, "Plumora is starting but does not answer.\n");
                return 2;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    LocalMessage message;
    if (actions.flags != 0) {
        message.msg = WM_COPYDATA;
        message.wParam = kActionCopyDataTag;
        message.data = actions.Serialize();
    } else {
        message.msg = WM_TRAY_RESTORE;
        message.data = activationToken.left(kMaxActivationToken);
    }
    const auto answer = SendLocalMessage(kInstanceName, message);
    if (!answer) {
        std::fprintf(stderr, "Plumora is already running but does not answer.\n");
        return 2;
    }
    return actions.flags != 0 ? *answer : 0;
}

InstanceServer::InstanceServer(Handlers handlers, QObject* parent)
    : QObject(parent),
      handlers_(std::move(handlers)),
      server_(new LocalMessageServer(
          kInstanceName, [this](const LocalMessage& m) { return Handle(m); }, this)) {}

InstanceServer::~InstanceServer() = default;

bool InstanceServer::Listen() {
    return server_->Listen();
}

qint32 InstanceServer::Handle(const LocalMessage& message) {
    switch (message.msg) {
        case WM_COPYDATA: {
            if (message.wParam != kActionCopyDataTag) {
                return 0;
            }
            const auto block = ActionBlock::Parse(message.data);
            if (!block || block->flags == 0) {
                return 0;
            }
            if (handlers_.actions) {
                handlers_.actions(*block);
            }
            return 1;
        }
        case WM_TRAY_RESTORE:
            if (handlers_.bringToFront) {
                handlers_.bringToFront(message.data.left(kMaxActivationToken));
            }
            return 0;
        case WM_VOLUME_UP:
        case WM_VOLUME_DOWN:
        case WM_TUNE_UP:
        case WM_TUNE_DOWN:
            if (handlers_.radioMessage) {
                handlers_.radioMessage(message.msg);
            }
            return 0;
        case WM_TUNER_ARBITRATION:
            return handlers_.tunerRequest ? handlers_.tunerRequest(static_cast<int>(message.wParam))
                                          : 0;
        default:
            return 0;
    }
}
