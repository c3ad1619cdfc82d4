#pragma once

#include <cstdint>

// Direct access to I/O ports of the machine, as ISA cards need it. Writes go
// out one by one, in order and at once: nothing is buffered or reordered, so
// card protocols that shift bits by toggling port bits keep their timing.
class PortIo {
  public:
    virtual ~PortIo() = default;

    // Asks for permission to use the count ports from first on. false when
    // the system does not allow this process to touch them.
    virtual bool RequestAccess(uint16_t first, int count) = 0;
    virtual void Write(uint16_t address, uint8_t value) = 0;
    virtual uint8_t Read(uint16_t address) = 0;

    // The machine's ports: ioperm() with inb/outb on x86, else /dev/port.
    static PortIo& System();
};
