#pragma once

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <set>
#include <vector>

#include "platform/hid_device.h"
#include "support/fake_clock.h"

// The state of one simulated HID device, owned by the test. The driver gets
// a handle onto it from FakeHidLayer::Open and the test looks at what
// happened through it.
class FakeHidDeviceState {
  public:
    struct Transfer {
        enum Kind { Output, GetFeature, SetFeature } kind;
        std::vector<uint8_t> data;  // the whole buffer as handed over / returned
    };

    virtual ~FakeHidDeviceState() = default;

    virtual bool GetFeature(uint8_t* data, size_t size) {
        (void)data;
        (void)size;
        return false;
    }
    virtual bool SetFeature(const uint8_t* data, size_t size) {
        (void)data;
        (void)size;
        return false;
    }

    int featureLength = 0;
    bool refuseOutput = false;
    std::set<int> refusedReports;  // feature report ids the device refuses
    std::vector<Transfer> transfers;
    int opens = 0;
    int closes = 0;
    bool open = false;
    FakeClock* clock = nullptr;  // advanced by 1 ms per transfer when set

    // The feature transfers of one report id.
    std::vector<Transfer> OfReport(int id, Transfer::Kind kind) const {
        std::vector<Transfer> found;
        for (const Transfer& t : transfers) {
            if (t.kind == kind && !t.data.empty() && t.data[0] == id) {
                found.push_back(t);
            }
        }
        return found;
    }

  protected:
    void Tick() {
        if (clock != nullptr) {
            clock->Advance(1);
        }
    }
};

// A USB FM stick with the Si470x receiver: sixteen registers, a scratch page
// and the LED, behind feature reports of the sizes the real stick declares
// (register reports 3 bytes, all registers 33, scratch page 64).
class FakeSi470x : public FakeHidDeviceState {
  public:
    FakeSi470x() {
        featureLength = 64;
        registers[2] = 0x0001;  // enabled, audio off
        registers[5] = 0x000F;  // volume 15
    }

    bool GetFeature(uint8_t* data, size_t size) override {
        Tick();
        const int id = data[0];
        bool ok = !refusedReports.contains(id);
        if (ok && id >= 1 && id <= 16 && size >= 3) {
            data[1] = static_cast<uint8_t>(registers[id - 1] >> 8);
            data[2] = static_cast<uint8_t>(registers[id - 1] & 0xFF);
        } else if (ok && id == 17 && size >= 33) {
            for (int r = 0; r < 16; ++r) {
                data[1 + 2 * r] = static_cast<uint8_t>(registers[r] >> 8);
                data[2 + 2 * r] = static_cast<uint8_t>(registers[r] & 0xFF);
            }
        } else if (ok && id == 20 && size >= 64) {
            std::copy(scratch.begin(), scratch.end(), data + 1);
        } else {
            ok = false;
        }
        transfers.push_back({Transfer::GetFeature, {data, data + size}});
        return ok;
    }

    bool SetFeature(const uint8_t* data, size_t size) override {
        Tick();
        transfers.push_back({Transfer::SetFeature, {data, data + size}});
        const int id = data[0];
        if (refusedReports.contains(id) || size < 3) {
            return false;
        }
        if (id >= 3 && id <= 10) {
            Store(id - 1, static_cast<uint16_t>((data[1] << 8) | data[2]));
            return true;
        }
        if (id == 19 && size >= 3 && data[1] == 0x35) {
            leds.push_back(data[2]);
            return true;
        }
        return false;
    }

    // Channels asked for with the tune bit, in order.
    std::vector<int> tunedChannels;
    std::vector<int> leds;
    std::array<uint16_t, 16> registers{};
    std::array<uint8_t, 63> scratch{};
    bool tuneCompletes = true;

  private:
    void Store(int reg, uint16_t value) {
        registers[reg] = value;
        if (reg != 3) {
            return;
        }
        if ((value & 0x8000) != 0) {
            tunedChannels.push_back(value & 0x3FF);
            if (tuneCompletes) {
                registers[10] |= 0x4000;
                registers[11] = static_cast<uint16_t>((registers[11] & 0xFC00) | (value & 0x3FF));
            }
        } else {
            registers[10] &= ~0x4000;
        }
    }
};

// A radioShark: takes 7-byte output reports.
class FakeShark : public FakeHidDeviceState {};

// Devices present on the bus, each with its USB ids and state.
class FakeHidLayer : public HidLayer {
  public:
    struct Entry {
        HidDeviceInfo info;
        FakeHidDeviceState* state;  // nullptr: listed but cannot be opened
    };

    void Add(uint16_t vendor, uint16_t product, FakeHidDeviceState* state) {
        entries.push_back({{"fake:" + std::to_string(entries.size()), vendor, product}, state});
    }

    std::vector<HidDeviceInfo> Enumerate(uint16_t vendorId, uint16_t productId) override {
        enumerated.push_back({vendorId, productId});
        std::vector<HidDeviceInfo> found;
        for (const Entry& e : entries) {
            // Like a platform that lists every interface, not only matches.
            found.push_back(e.info);
        }
        (void)vendorId;
        (void)productId;
        return found;
    }

    std::unique_ptr<HidDevice> Open(const HidDeviceInfo& device) override {
        for (const Entry& e : entries) {
            if (e.info.path == device.path && e.state != nullptr) {
                return std::make_unique<Handle>(e.state);
            }
        }
        return nullptr;
    }

    std::vector<Entry> entries;
    std::vector<std::pair<int, int>> enumerated;

  private:
    class Handle : public HidDevice {
      public:
        explicit Handle(FakeHidDeviceState* state) : state_(state) {
            ++state_->opens;
            state_->open = true;
        }
        ~Handle() override {
            ++state_->closes;
            state_->open = false;
        }
        int FeatureReportLength() override { return state_->featureLength; }
        bool WriteOutputReport(const uint8_t* data, size_t size) override {
            state_->transfers.push_back(
                {FakeHidDeviceState::Transfer::Output, {data, data + size}});
            return !state_->refuseOutput;
        }
        bool GetFeatureReport(uint8_t* data, size_t size) override {
            return state_->GetFeature(data, size);
        }
        bool SetFeatureReport(const uint8_t* data, size_t size) override {
            return state_->SetFeature(data, size);
        }

      private:
        FakeHidDeviceState* state_;
    };
};
