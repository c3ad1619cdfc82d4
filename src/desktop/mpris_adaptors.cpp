#include "desktop/mpris_adaptors.h"

#include "desktop/desktop_bus.h"
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

const PlayerState& MprisPlayerAdaptor::State() const {
    bus_->Refresh();
    return bus_->state();
}

QString MprisPlayerAdaptor::playbackStatus() const {
    return PlaybackStatus(State());
}

QVariantMap MprisPlayerAdaptor::metadata() const {
    return PlayerMetadata(State());
}

double MprisPlayerAdaptor::volume() const {
    return State().volume / 100.0;
}

void MprisPlayerAdaptor::setVolume(double volume) {
    bus_->SetVolume(volume);
}

qlonglong MprisPlayerAdaptor::position() const {
    return State().archiveOpen ? State().positionUs : 0;
}

bool MprisPlayerAdaptor::canGoNext() const {
    return !State().archiveOpen;
}

bool MprisPlayerAdaptor::canSeek() const {
    return State().archiveOpen;
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

void MprisPlayerAdaptor::Seek(qlonglong offsetUs) {
    bus_->Seek(offsetUs);
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& trackId, qlonglong positionUs) {
    bus_->SetPosition(trackId.path(), positionUs);
}

// Recordings are opened in the archive, not by address.
void MprisPlayerAdaptor::OpenUri(const QString&) {}
