#include "radio/radio_man.h"

#include <QString>
#include <algorithm>
#include <array>

#include "platform/message_box.h"

namespace {

constexpr quint8 kStatusCommand = 0x08;
constexpr quint8 kUnmuteCommand = 0x01;
constexpr quint8 kMuteCommand = 0x02;
constexpr quint8 kTuneFmCommand = 0x05;
constexpr quint8 kTuneAmCommand = 0x09;

constexpr quint8 kPresentByte = 0x07;
constexpr quint8 kTunedByte = 0x04;

const QString kInitializeCaption = QStringLiteral("Plumora RadioMan/Wizard initialize");

std::vector<quint8> Frame(quint8 command) {
    return {0x1D, 0x23, command, 0x23};
}

SerialLineSettings RadioLine() {
    SerialLineSettings line;
    line.baud = 9600;
    line.parity = 'N';
    line.dataBits = 8;
    line.stopBits = 1;
    line.dtrOn = true;
    line.rtsOn = true;
    line.readPerByteMs = 3;
    line.readConstantMs = 20;
    line.writePerByteMs = 3;
    line.writeConstantMs = 20;
    return line;
}

}  // namespace

SRadioMan::SRadioMan(int portNumber, SerialPorts& ports, Clock& clock)
    : clock_(clock), ports_(ports) {
    frequency = 0.0f;
    muted = true;
    if (portNumber >= 1 && portNumber <= kHighestPort) {
        switch (Probe(portNumber)) {
            case ProbeResult::Found:
                break;
            case ProbeResult::CannotOpen:
                MessageBox(QString::asprintf("Can't open serial port COM%d to detect radio device.",
                                             portNumber),
                           "Plumora", MessageIcon::None);
                break;
            case ProbeResult::NotFound:
                MessageBox(QString::asprintf("Can't detect radio device on serial port COM%d .",
                                             portNumber),
                           kInitializeCaption, MessageIcon::None);
                break;
        }
        return;
    }
    for (int number = 1; number <= kHighestPort; ++number) {
        if (Probe(number) != ProbeResult::NotFound) {
            break;
        }
    }
    if (!serialPort) {
        MessageBox("Can't find radio device connected to serial port using Auto-detect.",
                   kInitializeCaption, MessageIcon::None);
    }
}

SRadioMan::~SRadioMan() {
    if (!serialPort) {
        return;
    }
    Drain(12);
    SendStatusQuery();
    Drain(12);
    Wait(20);
    serialPort->Purge();
    serialPort->ClearBreak();
    serialPort->RestoreLineSettings();
    serialPort.reset();
}

SRadioMan::ProbeResult SRadioMan::Probe(int number) {
    std::unique_ptr<SerialPort> candidate = ports_.Open(number);
    if (!candidate) {
        return ProbeResult::CannotOpen;
    }
    candidate->SaveLineSettings();
    candidate->Purge();
    candidate->ClearErrors();
    candidate->ClearBreak();
    if (!candidate->Configure(RadioLine())) {
        MessageBox("build", "comm", MessageIcon::None);
    }
    serialPort = std::move(candidate);
    Drain(12);
    SendStatusQuery();
    Wait(20);
    bool present = false;
    for (int i = 0; i < 10; ++i) {
        Wait(1);
        std::array<quint8, 10> answer{};
        const int n = serialPort->Read(answer.data(), static_cast<int>(answer.size()));
        if (n > 0 &&
            std::find(answer.begin(), answer.begin() + n, kPresentByte) != answer.begin() + n) {
            present = true;
        }
    }
    if (present) {
        portInUse_ = number;
        return ProbeResult::Found;
    }
    serialPort->Purge();
    serialPort->RestoreLineSettings();
    serialPort.reset();
    return ProbeResult::NotFound;
}

void SRadioMan::Send(const std::vector<quint8>& frame) {
    if (serialPort) {
        serialPort->Write(frame.data(), static_cast<int>(frame.size()));
    }
}

void SRadioMan::SendStatusQuery() {
    Send(Frame(kStatusCommand));
}

void SRadioMan::SendFmFrame(int channel) {
    std::vector<quint8> frame = Frame(kTuneFmCommand);
    const QByteArray digits = QByteArray::number(channel).rightJustified(3, '0');
    frame.insert(frame.end(), digits.begin(), digits.end());
    Send(frame);
}

void SRadioMan::SendAmFrame(int channel) {
    std::vector<quint8> frame = Frame(kTuneAmCommand);
    frame.push_back(0x00);
    frame.push_back(static_cast<quint8>((channel >> 8) & 0xFF));
    frame.push_back(static_cast<quint8>(channel & 0xFF));
    Send(frame);
}

void SRadioMan::Drain(int count) {
    for (int i = 0; i < count; ++i) {
        Wait(1);
        std::array<quint8, 10> dropped{};
        serialPort->Read(dropped.data(), static_cast<int>(dropped.size()));
    }
}

// The band limits and the channel formulas are taken in double precision:
// in single precision 0.519 MHz passes the AM range test and would go out as
// the 520 kHz channel.
int SRadioMan::FmChannel(float mhz) {
    const double f = mhz;
    if (!(f >= 76.0 && f <= 108.0)) {
        return -1;
    }
    return static_cast<int>((f - 76) * 20 + 0.4);
}

int SRadioMan::AmChannel(float mhz) {
    const double f = mhz;
    if (!(f >= 0.519 && f <= 1.711)) {
        return -1;
    }
    return static_cast<int>(f * 1000 - 520);
}

qint32 SRadioMan::SetFrequency(float mhz) {
    frequency = mhz;
    if (!serialPort) {
        return 0;
    }
    if (const int channel = FmChannel(mhz); channel >= 0) {
        SendFmFrame(channel);
        Wait(20);
        return channel;
    }
    if (const int channel = AmChannel(mhz); channel >= 0) {
        SendAmFrame(channel);
        Wait(20);
        return channel;
    }
    return 0;
}

bool SRadioMan::SetMute(bool mute) {
    if (!serialPort) {
        return false;
    }
    Wait(20);
    serialPort->Purge();
    serialPort->ClearBreak();
    Send(Frame(mute ? kMuteCommand : kUnmuteCommand));
    Wait(20);
    muted = mute;
    return true;
}

bool SRadioMan::IsTuned() {
    if (!serialPort) {
        return false;
    }
    SendStatusQuery();
    Wait(20);
    std::vector<quint8> answer;
    for (int i = 0; i < 10; ++i) {
        Wait(1);
        std::array<quint8, 4> part{};
        const int n = serialPort->Read(part.data(), static_cast<int>(part.size()));
        for (int k = 0; k < n && answer.size() < 40; ++k) {
            answer.push_back(part[k]);
        }
    }
    return std::find(answer.begin(), answer.end(), kTunedByte) != answer.end();
}

bool SRadioMan::HasAmBand() {
    return true;
}

// ---- SWizard ----

SWizard::SWizard(int portNumber, SerialPorts& ports, Clock& clock)
    : SRadioMan(portNumber, ports, clock) {}

qint32 SWizard::SetFrequency(float mhz) {
    if (!serialPort) {
        return 0;
    }
    if (const int channel = FmChannel(mhz); channel >= 0) {
        SendFmFrame(channel);
        frequency = mhz;
        Wait(10);
        return channel;
    }
    if (const int channel = AmChannel(mhz); channel >= 0) {
        SendAmFrame(channel);
        frequency = mhz;
        Wait(10);
        return 1;
    }
    return 0;
}

bool SWizard::HasAmBand() {
    return false;
}
