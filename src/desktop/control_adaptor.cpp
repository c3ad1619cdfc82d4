#include "desktop/control_adaptor.h"

#include "desktop/desktop_bus.h"

ControlAdaptor::ControlAdaptor(QObject* object, DesktopBus* bus)
    : QDBusAbstractAdaptor(object), bus_(bus) {}

const PlayerState& ControlAdaptor::State() const {
    bus_->Refresh();
    return bus_->state();
}

bool ControlAdaptor::muted() const {
    return State().muted;
}

bool ControlAdaptor::recording() const {
    return State().recording;
}

double ControlAdaptor::frequency() const {
    return State().frequency;
}

QString ControlAdaptor::station() const {
    return State().station;
}

void ControlAdaptor::Mute(const QDBusMessage& call) {
    bus_->Act(RadioAction::kMute, {}, call);
}

void ControlAdaptor::Unmute(const QDBusMessage& call) {
    bus_->Act(RadioAction::kUnmute, {}, call);
}

void ControlAdaptor::Record(const QDBusMessage& call) {
    bus_->Act(RadioAction::kRecord, {}, call);
}

void ControlAdaptor::Stop(const QDBusMessage& call) {
    bus_->Act(RadioAction::kStopRecord, {}, call);
}

void ControlAdaptor::Tune(const QString& station, const QDBusMessage& call) {
    bus_->Act(RadioAction::kTune, station, call);
}

void ControlAdaptor::TuneUp() {
    bus_->Command(BusCommand::kTuneUp);
}

void ControlAdaptor::TuneDown() {
    bus_->Command(BusCommand::kTuneDown);
}

void ControlAdaptor::VolumeUp() {
    bus_->Command(BusCommand::kVolumeUp);
}

void ControlAdaptor::VolumeDown() {
    bus_->Command(BusCommand::kVolumeDown);
}
