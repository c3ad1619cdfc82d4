#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One open HID device interface. Report buffers start with the report id
// (0 for a device that does not number its reports). Failures are results:
// false, never an exception, and no call waits longer than a USB control
// transfer's time-out.
class HidDevice {
  public:
    virtual ~HidDevice() = default;

    // Length in bytes of the device's longest feature report, report-id
    // byte included; 0 when the device declares none or it is unknown.
    virtual int FeatureReportLength() = 0;
    virtual bool WriteOutputReport(const uint8_t* data, size_t size) = 0;
    // data[0] names the report; on success data holds the report, bytes the
    // device did not send set to 0.
    virtual bool GetFeatureReport(uint8_t* data, size_t size) = 0;
    virtual bool SetFeatureReport(const uint8_t* data, size_t size) = 0;
};

struct HidDeviceInfo {
    std::string path;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
};

// Finds and opens HID device interfaces.
class HidLayer {
  public:
    virtual ~HidLayer() = default;

    // The present HID interfaces of devices with these USB ids.
    virtual std::vector<HidDeviceInfo> Enumerate(uint16_t vendorId, uint16_t productId) = 0;
    // nullptr when the interface cannot be opened (gone, or no permission).
    virtual std::unique_ptr<HidDevice> Open(const HidDeviceInfo& device) = 0;

    // hidapi over libusb, which also reaches interfaces a kernel driver
    // other than the HID driver has bound (that driver is detached while the
    // device is open and bound again when it is closed).
    static HidLayer& System();
};

// Opens the first of at most maxCandidates present interfaces whose ids
// match; nullptr when none does.
std::unique_ptr<HidDevice> OpenHidDevice(HidLayer& hid, uint16_t vendorId, uint16_t productId,
                                         int maxCandidates = 64);
