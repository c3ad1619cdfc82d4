#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// Line settings and time-outs of a serial port. Time-outs are totals for one
// call: per-byte times the bytes asked for, plus a constant.
struct SerialLineSettings {
    int baud = 9600;
    char parity = 'N';  // 'N', 'E' or 'O'
    int dataBits = 8;
    int stopBits = 1;
    bool hardwareFlowControl = false;
    bool softwareFlowControl = false;
    bool dtrOn = true;
    bool rtsOn = true;
    int readPerByteMs = 0;
    int readConstantMs = 0;
    int writePerByteMs = 0;
    int writeConstantMs = 0;
};

// One open serial port. Failures are results: Write and Read give -1 on an
// error (for instance a device that went away) and never wait longer than
// their time-out.
class SerialPort {
  public:
    virtual ~SerialPort() = default;

    // Remembers the line settings the port has now / puts them back.
    virtual bool SaveLineSettings() = 0;
    virtual bool RestoreLineSettings() = 0;
    // Applies line settings and time-outs; false when the port cannot take
    // them.
    virtual bool Configure(const SerialLineSettings& settings) = 0;
    // Drops what is waiting in both directions.
    virtual void Purge() = 0;
    virtual void ClearErrors() = 0;
    virtual void ClearBreak() = 0;
    // Bytes written, or -1.
    virtual int Write(const uint8_t* data, int size) = 0;
    // Bytes read (0 when nothing came within the time-out), or -1.
    virtual int Read(uint8_t* data, int size) = 0;
};

// Opens serial ports by their number: port n is "COM<n>:".
class SerialPorts {
  public:
    virtual ~SerialPorts() = default;

    // Opens the port for reading and writing, exclusively, only when the
    // device exists and is a terminal. nullptr when that fails.
    virtual std::unique_ptr<SerialPort> Open(int number) = 0;

    // The machine's ports, named by DefaultSerialDevicePath.
    static SerialPorts& System();
};

// The device behind port n: the environment variable PLUMORA_COM<n> when it
// is set (for instance PLUMORA_COM1=/dev/ttyUSB0), else /dev/ttyS<n-1>.
// Empty for numbers below 1.
std::string DefaultSerialDevicePath(int number);

// Serial ports over termios, with the device path of each number given by a
// function.
class TermiosSerialPorts : public SerialPorts {
  public:
    using PathOf = std::function<std::string(int number)>;

    explicit TermiosSerialPorts(PathOf pathOf = DefaultSerialDevicePath);

    std::unique_ptr<SerialPort> Open(int number) override;

  private:
    PathOf pathOf_;
};
