#pragma once

#include "platform/clock.h"
#include "platform/hid_device.h"
#include "platform/port_io.h"
#include "platform/serial_port.h"

// The machine's hardware as the drivers reach it. Every null entry means the
// real one; tests put fakes in.
struct RadioHardware {
    PortIo* ports = nullptr;        // I/O ports of the ISA cards
    SerialPorts* serial = nullptr;  // COM ports of the serial radios
    HidLayer* hid = nullptr;        // USB HID radios
    Clock* clock = nullptr;         // protocol delays and time limits

    PortIo& Ports() const { return ports ? *ports : PortIo::System(); }
    SerialPorts& Serial() const { return serial ? *serial : SerialPorts::System(); }
    HidLayer& Hid() const { return hid ? *hid : HidLayer::System(); }
    Clock& GetClock() const { return clock ? *clock : Clock::System(); }
};
