#include "platform/hid_device.h"

#include <fcntl.h>
#include <hidapi/hidapi.h>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/hid_report_descriptor.h"

namespace {

// Where hidapi's libusb backend finds an interface: "bus:address:interface"
// in hexadecimal.
struct UsbLocation {
    int bus = -1;
    int address = -1;
    int interfaceNumber = -1;

    bool Parse(const std::string& path) {
        unsigned b = 0, a = 0, i = 0;
        char tail = 0;
        if (std::sscanf(path.c_str(), "%x:%x:%x%c", &b, &a, &i, &tail) != 3) {
            return false;
        }
        bus = static_cast<int>(b);
        address = static_cast<int>(a);
        interfaceNumber = static_cast<int>(i);
        return true;
    }

    std::string DevicePath() const {
        char path[64];
        std::snprintf(path, sizeof path, "/dev/bus/usb/%03d/%03d", bus, address);
        return path;
    }
};

// Reads the interface's report descriptor through usbfs. A kernel driver
// bound to the interface (the radio driver of the Si470x sticks, or the HID
// driver) is detached first; the result says whether that happened so the
// driver can be bound again after use.
std::vector<uint8_t> ReadReportDescriptor(const UsbLocation& at, bool& detached) {
    detached = false;
    std::vector<uint8_t> descriptor;
    const int fd = ::open(at.DevicePath().c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        return descriptor;
    }
    usbdevfs_ioctl disconnect{at.interfaceNumber, USBDEVFS_DISCONNECT, nullptr};
    detached = ioctl(fd, USBDEVFS_IOCTL, &disconnect) >= 0;
    unsigned int interfaceNumber = static_cast<unsigned int>(at.interfaceNumber);
    if (ioctl(fd, USBDEVFS_CLAIMINTERFACE, &interfaceNumber) == 0) {
        std::vector<uint8_t> buffer(4096);
        usbdevfs_ctrltransfer request{};
        request.bRequestType = 0x81;  // in, standard, interface
        request.bRequest = 0x06;      // get descriptor
        request.wValue = 0x2200;      // report descriptor
        request.wIndex = static_cast<uint16_t>(at.interfaceNumber);
        request.wLength = static_cast<uint16_t>(buffer.size());
        request.timeout = 1000;
        request.data = buffer.data();
        const int n = ioctl(fd, USBDEVFS_CONTROL, &request);
        if (n > 0) {
            buffer.resize(static_cast<size_t>(n));
            descriptor = std::move(buffer);
        }
        ioctl(fd, USBDEVFS_RELEASEINTERFACE, &interfaceNumber);
    }
    ::close(fd);
    return descriptor;
}

void ReattachKernelDriver(const UsbLocation& at) {
    const int fd = ::open(at.DevicePath().c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    usbdevfs_ioctl connect{at.interfaceNumber, USBDEVFS_CONNECT, nullptr};
    ioctl(fd, USBDEVFS_IOCTL, &connect);
    ::close(fd);
}

class HidapiDevice : public HidDevice {
  public:
    HidapiDevice(hid_device* handle, HidFeatureReports reports, UsbLocation location, bool reattach)
        : handle_(handle), reports_(std::move(reports)), location_(location), reattach_(reattach) {}

    ~HidapiDevice() override {
        hid_close(handle_);
        if (reattach_) {
            ReattachKernelDriver(location_);
        }
    }

    int FeatureReportLength() override { return reports_.MaxLength(); }

    bool WriteOutputReport(const uint8_t* data, size_t size) override {
        return size > 0 && hid_write(handle_, data, size) >= 0;
    }

    bool GetFeatureReport(uint8_t* data, size_t size) override {
        if (size == 0) {
            return false;
        }
        const size_t length = LengthFor(data[0], size);
        if (length == 0) {
            return false;
        }
        std::vector<uint8_t> buffer(length, 0);
        buffer[0] = data[0];
        const int n = hid_get_feature_report(handle_, buffer.data(), buffer.size());
        if (n <= 0) {
            return false;
        }
        const uint8_t id = data[0];
        std::memset(data, 0, size);
        std::copy_n(buffer.begin(), std::min<size_t>(static_cast<size_t>(n), size), data);
        data[0] = id;
        return true;
    }

    bool SetFeatureReport(const uint8_t* data, size_t size) override {
        if (size == 0) {
            return false;
        }
        const size_t length = LengthFor(data[0], size);
        return length > 0 && hid_send_feature_report(handle_, data, length) >= 0;
    }

  private:
    // A report goes out with the length the device declares for it; bytes
    // of a longer buffer beyond that are not part of the report. A report id
    // the device does not declare is refused. Without a descriptor the
    // buffer is taken as it is.
    size_t LengthFor(uint8_t reportId, size_t size) const {
        if (!reports_.valid) {
            return size;
        }
        const int declared = reports_.LengthOf(reportId);
        return declared <= 0 ? 0 : std::min(size, static_cast<size_t>(declared));
    }

    hid_device* handle_;
    HidFeatureReports reports_;
    UsbLocation location_;
    bool reattach_;
};

class HidapiLayer : public HidLayer {
  public:
    HidapiLayer() { initialized_ = hid_init() == 0; }
    ~HidapiLayer() override {
        if (initialized_) {
            hid_exit();
        }
    }

    std::vector<HidDeviceInfo> Enumerate(uint16_t vendorId, uint16_t productId) override {
        std::vector<HidDeviceInfo> found;
        if (!initialized_) {
            return found;
        }
        std::lock_guard lock(mutex_);
        hid_device_info* list = hid_enumerate(vendorId, productId);
        for (hid_device_info* d = list; d != nullptr; d = d->next) {
            if (d->path != nullptr && d->vendor_id == vendorId && d->product_id == productId) {
                found.push_back({d->path, d->vendor_id, d->product_id});
            }
        }
        hid_free_enumeration(list);
        return found;
    }

    std::unique_ptr<HidDevice> Open(const HidDeviceInfo& device) override {
        if (!initialized_) {
            return nullptr;
        }
        std::lock_guard lock(mutex_);
        UsbLocation location;
        bool detached = false;
        HidFeatureReports reports;
        if (location.Parse(device.path)) {
            const std::vector<uint8_t> descriptor = ReadReportDescriptor(location, detached);
            if (!descriptor.empty()) {
                reports = ParseFeatureReports(descriptor);
            }
        }
        hid_device* handle = hid_open_path(device.path.c_str());
        if (handle == nullptr) {
            if (detached) {
                ReattachKernelDriver(location);
            }
            return nullptr;
        }
        return std::make_unique<HidapiDevice>(handle, std::move(reports), location, detached);
    }

  private:
    std::mutex mutex_;
    bool initialized_ = false;
};

}  // namespace

HidLayer& HidLayer::System() {
    static HidapiLayer layer;
    return layer;
}

std::unique_ptr<HidDevice> OpenHidDevice(HidLayer& hid, uint16_t vendorId, uint16_t productId,
                                         int maxCandidates) {
    int tried = 0;
    for (const HidDeviceInfo& candidate : hid.Enumerate(vendorId, productId)) {
        if (tried++ >= maxCandidates) {
            break;
        }
        if (candidate.vendorId != vendorId || candidate.productId != productId) {
            continue;
        }
        if (std::unique_ptr<HidDevice> device = hid.Open(candidate)) {
            return device;
        }
    }
    return nullptr;
}
