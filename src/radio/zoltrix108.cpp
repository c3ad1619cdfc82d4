#include "radio/zoltrix108.h"

SZoltrix108::SZoltrix108(quint16 base, std::unique_ptr<ZoltrixTuning> tuning, PortIo& io,
                         Clock& clock)
    : SRadioPort(base, io, clock), tuning_(std::move(tuning)) {}

SZoltrix108::~SZoltrix108() = default;

qint32 SZoltrix108::SetFrequency(float mhz) {
    frequency = mhz;
    return tuning_ ? tuning_->Tune(mhz) : 0;
}

bool SZoltrix108::SetMute(bool mute) {
    muted = mute;
    if (noPortAccess) {
        return false;
    }
    if (mute) {
        WritePort(0x00);
        ReadPortAt(port + 3);
    } else {
        WritePort(static_cast<quint8>(volume));
        ReadPortAt(port + 2);
    }
    return true;
}

bool SZoltrix108::StepVolume(bool up) {
    if (noPortAccess) {
        return false;
    }
    if (up ? volume >= 15 : volume < 1) {
        return false;
    }
    volume += up ? 1 : -1;
    if (!muted) {
        WritePort(static_cast<quint8>(volume));
        Wait(50);
        ReadPortAt(port + 2);
    }
    return true;
}

bool SZoltrix108::IsTuned() {
    if (noPortAccess) {
        return false;
    }
    return (ReadPort() & 0x02) == 0;
}
