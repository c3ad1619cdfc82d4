#pragma once

#include <QtGlobal>
#include <memory>
#include <vector>

#include "platform/clock.h"
#include "platform/serial_port.h"
#include "radio/sradio.h"

// The RadioMan radio on a serial port (9600 8N1, no flow control). It is
// controlled by short frames "1D 23 <command> 23 <payload>" and answers a
// status query with bytes among which 0x07 means "here" and 0x04 "station
// received". The port is found once, at construction: port numbers 1 to 8
// are probed directly, anything else probes COM1 upwards until a port
// answers or cannot be opened. Without a radio the device is inert.
class SRadioMan : public SRadio {
  public:
    explicit SRadioMan(int portNumber, SerialPorts& ports = SerialPorts::System(),
                       Clock& clock = Clock::System());
    // Says goodbye to the radio and gives the port back as it was found.
    ~SRadioMan() override;

    qint32 SetFrequency(float mhz) override;
    bool SetMute(bool mute) override;
    bool IsTuned() override;
    bool SensesSignal() override { return true; }
    bool HasAmBand() override;

    // The COM number the radio was found on; 0 when there is none.
    int PortInUse() const { return portInUse_; }

    static constexpr int kHighestPort = 8;

    // FM channel (50 kHz steps from 76 MHz) for 76.0 to 108.0 MHz and AM
    // channel (1 kHz steps from 520 kHz) for 0.519 to 1.711 MHz; -1 outside.
    static int FmChannel(float mhz);
    static int AmChannel(float mhz);

  protected:
    void SendStatusQuery();
    void SendFmFrame(int channel);
    void SendAmFrame(int channel);
    // Reads and drops what arrives in count reads of up to 10 bytes, 1 ms
    // apart.
    void Drain(int count);
    void Wait(int ms) { clock_.SleepMs(ms); }

    std::unique_ptr<SerialPort> serialPort;

  private:
    enum class ProbeResult { Found, NotFound, CannotOpen };

    ProbeResult Probe(int number);
    void Send(const std::vector<quint8>& frame);

    Clock& clock_;
    SerialPorts& ports_;
    int portInUse_ = 0;
};

// The Wizard radio: the RadioMan's protocol, without AM. Its SetFrequency
// only remembers a frequency it could send, waits less after a frame and
// answers 1 for AM.
class SWizard : public SRadioMan {
  public:
    explicit SWizard(int portNumber, SerialPorts& ports = SerialPorts::System(),
                     Clock& clock = Clock::System());

    qint32 SetFrequency(float mhz) override;
    bool HasAmBand() override;
};
