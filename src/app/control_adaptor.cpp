#include "app/control_adaptor.h"

#include "app/command_ids.h"
#include "app/desktop_bus.h"

ControlAdaptor::ControlAdaptor(QObject* object, DesktopBus* bus)
    : QDBusAbstractAdaptor(object), bus_(bus) {}

bool ControlAdaptor::muted() const {
    bus_->Refresh();
    return bus_->state().muted;
}

bool ControlAdaptor::recording() const {
    bus_->Refresh();
    return bus_->state().recording;
}

double ControlAdaptor::frequency() const {
    bus_->Refresh();
    return bus_->state().frequency;
}

QString ControlAdaptor::station() const {
    bus_->Refresh();
    return bus_->state().station;
}

void ControlAdaptor::Mute() {
    bus_->Hand(kActionFlagMute);
}

void ControlAdaptor::Unmute() {
    bus_->Hand(kActionFlagUnmute);
}

void ControlAdaptor::Record() {
    bus_->Hand(kActionFlagRecord);
}

void ControlAdaptor::Stop() {
    bus_->Hand(kActionFlagStopRecord);
}

void ControlAdaptor::Tune(const QString& station) {
    bus_->Hand(kActionFlagTune, station);
}

void ControlAdaptor::TuneUp() {
    bus_->Command(cmd::kTuneUp);
}

void ControlAdaptor::TuneDown() {
    bus_->Command(cmd::kTuneDownKey);
}

void ControlAdaptor::VolumeUp() {
    bus_->Command(cmd::kVolumeUp);
}

void ControlAdaptor::VolumeDown() {
    bus_->Command(cmd::kVolumeDown);
}
