#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/port_io.h"
#include "support/fake_clock.h"

// An I/O port layer that records every write, read and (through its clock)
// every delay, in the order they happen, and answers reads from queued
// values.
class RecordingPorts : public PortIo {
  public:
    struct Event {
        enum Kind { Write, Read, Sleep } kind;
        int address;  // Write, Read
        int value;    // byte written or read; milliseconds slept

        bool operator==(const Event&) const = default;
    };

    // Delays go into the same event list as the port accesses.
    class RecordingClock : public FakeClock {
      public:
        explicit RecordingClock(RecordingPorts& ports) : ports_(ports) {}
        void SleepMs(int ms) override {
            FakeClock::SleepMs(ms);
            ports_.events.push_back({Event::Sleep, 0, ms});
        }

      private:
        RecordingPorts& ports_;
    };

    bool RequestAccess(uint16_t first, int count) override {
        requests.push_back({first, count});
        return allowAccess;
    }
    void Write(uint16_t address, uint8_t value) override {
        events.push_back({Event::Write, address, value});
    }
    uint8_t Read(uint16_t address) override {
        uint8_t value = defaultRead;
        auto& queue = reads[address];
        if (!queue.empty()) {
            value = queue.front();
            queue.pop_front();
        }
        events.push_back({Event::Read, address, value});
        return value;
    }

    // The bytes written, in order.
    std::vector<int> Written() const {
        std::vector<int> bytes;
        for (const Event& e : events) {
            if (e.kind == Event::Write) {
                bytes.push_back(e.value);
            }
        }
        return bytes;
    }
    // The delays, in order.
    std::vector<int> Sleeps() const {
        std::vector<int> ms;
        for (const Event& e : events) {
            if (e.kind == Event::Sleep) {
                ms.push_back(e.value);
            }
        }
        return ms;
    }
    // Compact text of the events: "W05" a write, "R30E" a read of that
    // address, "S100" a delay; separated by spaces.
    std::string Timeline() const {
        std::string text;
        char item[16];
        for (const Event& e : events) {
            if (e.kind == Event::Write) {
                std::snprintf(item, sizeof item, "W%02X", e.value);
            } else if (e.kind == Event::Read) {
                std::snprintf(item, sizeof item, "R%X", e.address);
            } else {
                std::snprintf(item, sizeof item, "S%d", e.value);
            }
            if (!text.empty()) {
                text += ' ';
            }
            text += item;
        }
        return text;
    }
    void Clear() { events.clear(); }

    bool allowAccess = true;
    uint8_t defaultRead = 0xFF;  // an empty ISA bus reads all ones
    std::map<int, std::deque<uint8_t>> reads;
    std::vector<std::pair<int, int>> requests;
    std::vector<Event> events;
};

// Reads a bit stream back from port bytes: each bit is a group of bytes equal
// to one or zero. nullopt when a group is neither (the clock pattern is
// broken) or the bytes do not divide into groups.
inline std::optional<std::vector<int>> DecodeBits(const std::vector<int>& bytes,
                                                  const std::vector<int>& one,
                                                  const std::vector<int>& zero) {
    const size_t n = one.size();
    if (n == 0 || bytes.size() % n != 0) {
        return std::nullopt;
    }
    std::vector<int> bits;
    for (size_t i = 0; i < bytes.size(); i += n) {
        const std::vector<int> group(bytes.begin() + i, bytes.begin() + i + n);
        if (group == one) {
            bits.push_back(1);
        } else if (group == zero) {
            bits.push_back(0);
        } else {
            return std::nullopt;
        }
    }
    return bits;
}

// The number bits[first..first+count) encode, least significant first.
inline long LsbFirst(const std::vector<int>& bits, size_t first, size_t count) {
    long value = 0;
    for (size_t i = 0; i < count; ++i) {
        value |= static_cast<long>(bits.at(first + i)) << i;
    }
    return value;
}

// The same, most significant first.
inline long MsbFirst(const std::vector<int>& bits, size_t first, size_t count) {
    long value = 0;
    for (size_t i = 0; i < count; ++i) {
        value = (value << 1) | bits.at(first + i);
    }
    return value;
}
