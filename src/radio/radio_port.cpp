#include "radio/radio_port.h"

#include <algorithm>

#include "platform/message_box.h"

namespace {

// Truncation toward zero of a double-precision product, as the cards' tuning
// words are defined; values no 32-bit integer can hold give 0.
qint32 Trunc(double value) {
    if (!(value > -2147483648.0 && value < 2147483648.0)) {
        return 0;
    }
    return static_cast<qint32>(value);
}

}  // namespace

// ---- SRadioPort ----

SRadioPort::SRadioPort(quint16 base, PortIo& io, Clock& clock)
    : port(base), io_(io), clock_(clock) {
    noPortAccess = !io_.RequestAccess(base, 4);
    if (noPortAccess) {
        MessageBox(kNoAccessText, "Plumora", MessageIcon::Warning);
    }
    frequency = 0.0f;
    muted = true;
}

float SRadioPort::GetFrequency() {
    return frequency;
}

bool SRadioPort::IsMuted() {
    return muted;
}

bool SRadioPort::HasAmBand() {
    return false;
}

void SRadioPort::WritePort(quint8 value) {
    if (!noPortAccess) {
        io_.Write(port, value);
    }
}

quint8 SRadioPort::ReadPort() {
    return noPortAccess ? 0 : io_.Read(port);
}

quint8 SRadioPort::ReadPortAt(quint16 address) {
    return noPortAccess ? 0 : io_.Read(address);
}

void SRadioPort::Wait(int ms) {
    if (!noPortAccess) {
        clock_.SleepMs(ms);
    }
}

// ---- SRadioTrack ----

SRadioTrack::SRadioTrack(quint16 base, PortIo& io, Clock& clock) : SRadioPort(base, io, clock) {}

void SRadioTrack::SendBit(bool one) {
    if (one) {
        WritePort(0x05);
        WritePort(0x07);
        WritePort(0x05);
    } else {
        WritePort(0x01);
        WritePort(0x03);
        WritePort(0x01);
    }
}

qint32 SRadioTrack::SetFrequency(float mhz) {
    frequency = mhz;
    if (noPortAccess) {
        return 0;
    }
    WritePort(0x00);
    // 0xA00000 plus the 10.7 MHz intermediate frequency in 25 kHz steps.
    const qint32 word = Trunc(static_cast<double>(mhz) * 40 + 0.3 + 10486188);
    qint32 bits = word;
    for (int i = 0; i < 24; ++i) {
        SendBit((bits & 1) != 0);
        bits >>= 1;
    }
    WritePort(0x00);
    if (!muted) {
        Wait(100);
        WritePort(0xC8);
    }
    return word;
}

bool SRadioTrack::SetMute(bool mute) {
    muted = mute;
    if (noPortAccess) {
        return false;
    }
    WritePort(0x00);
    if (!mute) {
        WritePort(0xC8);
    }
    return true;
}

bool SRadioTrack::StepVolume(bool up) {
    if (noPortAccess) {
        return false;
    }
    WritePort(up ? 0x88 : 0x48);
    Wait(50);
    WritePort(0xC8);
    return true;
}

bool SRadioTrack::IsTuned() {
    if (noPortAccess) {
        return false;
    }
    WritePort(muted ? 0x10 : 0xD8);
    Wait(150);
    const quint8 status = ReadPort();
    WritePort(0x00);
    if (!muted) {
        WritePort(0xC8);
    }
    return (status & 0x02) == 0;
}

// ---- SRadioTrack2 ----

SRadioTrack2::SRadioTrack2(quint16 base, PortIo& io, Clock& clock) : SRadioPort(base, io, clock) {}

void SRadioTrack2::SendBit(bool one) {
    if (one) {
        WritePort(0x05);
        WritePort(0x07);
        WritePort(0x05);
    } else {
        WritePort(0x01);
        WritePort(0x03);
        WritePort(0x01);
    }
}

qint32 SRadioTrack2::SetFrequency(float mhz) {
    frequency = mhz;
    if (noPortAccess) {
        return 0;
    }
    WritePort(0x01);
    // 12.5 kHz steps above the 10.7 MHz intermediate frequency.
    const qint32 word = Trunc(static_cast<double>(mhz) * 80 + 0.3 + 856);
    WritePort(0xC8);
    WritePort(0xC9);
    WritePort(0xC9);
    for (int i = 0; i < 10; ++i) {
        SendBit(false);
    }
    for (int bit = 14; bit >= 0; --bit) {
        SendBit(((word >> bit) & 1) != 0);
    }
    WritePort(0xC8);
    WritePort(muted ? 0x01 : 0x00);
    return word;
}

bool SRadioTrack2::SetMute(bool mute) {
    muted = mute;
    if (noPortAccess) {
        return false;
    }
    WritePort(mute ? 0x01 : 0x00);
    return true;
}

bool SRadioTrack2::IsTuned() {
    if (noPortAccess) {
        return false;
    }
    Wait(50);
    return (ReadPort() & 0x02) == 0;
}

// ---- SAztechRadio ----

SAztechRadio::SAztechRadio(quint16 base, PortIo& io, Clock& clock) : SRadioPort(base, io, clock) {}

void SAztechRadio::SendBit(bool one) {
    const quint8 low = one ? 0x82 : 0x02;
    const quint8 high = one ? 0xC2 : 0x42;
    for (quint8 value : {low, low, high, high, low, low}) {
        WritePort(value);
    }
}

qint32 SAztechRadio::SetFrequency(float mhz) {
    frequency = mhz;
    if (noPortAccess) {
        return 0;
    }
    WritePort(0x02);
    const qint32 hertz = Trunc(static_cast<double>(mhz) * 1000000 + 0.3);
    // 100 kHz steps above the 10.7 MHz intermediate frequency.
    quint32 word = (static_cast<quint32>(hertz) + 10700000u) / 100000u;
    for (int i = 0; i < 14; ++i) {
        SendBit((word & 1) != 0);
        word >>= 1;
    }
    for (int i = 0; i < 9; ++i) {
        SendBit(false);
    }
    SendBit(true);
    WritePort(0x00);
    if (!muted) {
        WritePort(static_cast<quint8>(volumeBits));
    }
    return hertz;
}

bool SAztechRadio::SetMute(bool mute) {
    muted = mute;
    if (noPortAccess) {
        return false;
    }
    WritePort(mute ? 0x00 : static_cast<quint8>(volumeBits));
    return true;
}

bool SAztechRadio::StepVolume(bool up) {
    if (noPortAccess) {
        return false;
    }
    const int level = LevelOfBits(volumeBits);
    volumeBits = BitsOfLevel(up ? std::min(level + 1, 3) : std::max(level - 1, 0));
    if (!muted) {
        WritePort(static_cast<quint8>(volumeBits));
    }
    return true;
}

bool SAztechRadio::IsTuned() {
    if (noPortAccess) {
        return false;
    }
    return (ReadPort() & 0x03) == 0;
}

// ---- SRadioCard ----

SRadioCard::SRadioCard(quint16 base, PortIo& io, Clock& clock) : SRadioPort(base, io, clock) {
    for (float mhz : {89.9f, 89.1f, 89.9f}) {
        SetFrequency(mhz);
    }
}

void SRadioCard::SendBit(bool one) {
    WritePort(one ? 0x06 : 0x04);
    WritePort(one ? 0x07 : 0x05);
}

qint32 SRadioCard::SetFrequency(float mhz) {
    frequency = mhz;
    if (noPortAccess) {
        return 0;
    }
    quint32 word = static_cast<quint32>(Trunc((static_cast<double>(mhz) + 10.52) * 78.25 + 0.4));
    WritePort(0x03);
    Wait(1);
    WritePort(0x07);
    Wait(1);
    for (int i = 0; i < 14; ++i) {
        SendBit((word & 1) != 0);
        word >>= 1;
    }
    for (int i = 0; i < 11; ++i) {
        SendBit(false);
    }
    SendBit(true);
    for (int i = 0; i < 4; ++i) {
        SendBit(false);
    }
    SendBit(true);
    SendBit(false);
    WritePort(0x03);
    Wait(1);
    WritePort(0x07);
    Wait(1);
    SetMute(IsMuted());
    return static_cast<qint32>(word);
}

bool SRadioCard::SetMute(bool mute) {
    muted = mute;
    if (noPortAccess) {
        return false;
    }
    WritePort(mute ? 0x10 : 0x20);
    Wait(1);
    return true;
}

bool SRadioCard::IsTuned() {
    if (noPortAccess) {
        return false;
    }
    ReadPort();
    Wait(1);
    return (ReadPort() & 0x08) == 0;
}
