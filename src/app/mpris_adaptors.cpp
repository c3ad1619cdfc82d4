#include "app/mpris_adaptors.h"

#include "app/desktop_bus.h"
#include "platform/desktop_identity.h"

MprisRootAdaptor::MprisRootAdaptor(DesktopBus* bus) : QDBusAbstractAdaptor(bus), bus_(bus) {}

QString MprisRootAdaptor::identity() const {
    return desktop::kDisplayName;
}

QString MprisRootAdaptor::desktopEntry() const {
    return desktop::kApplicationId;
}

void MprisRootAdaptor::Raise() {
    bus_->Raise();
}

void MprisRootAdaptor::Quit() {
    bus_->Quit();
}

MprisPlayerAdaptor::MprisPlayerAdaptor(DesktopBus* bus) : QDBusAbstractAdaptor(bus), bus_(bus) {
    connect(bus, &DesktopBus::seeked, this, &MprisPlayerAdaptor::Seeked);
}

QString MprisPlayerAdaptor::playbackStatus() const {
    return PlaybackStatus(bus_->state());
}

QVariantMap MprisPlayerAdaptor::metadata() const {
    return PlayerMetadata(bus_->state());
}

double MprisPlayerAdaptor::volume() const {
    return bus_->state().volume / 100.0;
}

qlonglong MprisPlayerAdaptor::position() const {
    // Position is read on demand, so it is read afresh.
    bus_->Refresh();
    return bus_->state().archivePlaying ? bus_->state().positionUs : 0;
}

bool MprisPlayerAdaptor::canGoNext() const {
    return !bus_->state().archivePlaying;
}

void MprisPlayerAdaptor::Next() {
    bus_->Next();
}

void MprisPlayerAdaptor::Previous() {
    bus_->Previous();
}

void MprisPlayerAdaptor::Pause() {
    bus_->Pause();
}

void MprisPlayerAdaptor::PlayPause() {
    bus_->TogglePlay();
}

void MprisPlayerAdaptor::Stop() {
    bus_->StopPlaying();
}

void MprisPlayerAdaptor::Play() {
    bus_->Play();
}

void MprisPlayerAdaptor::Seek(qlonglong) {}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath&, qlonglong) {}

void MprisPlayerAdaptor::OpenUri(const QString&) {}
