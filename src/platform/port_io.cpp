#include "platform/port_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <mutex>

#if defined(__i386__) || defined(__x86_64__)
#include <sys/io.h>
#define PLUMORA_HAVE_IOPERM 1
#endif

namespace {

// Real ports. ioperm() is preferred because it costs no system call per byte;
// /dev/port is the fallback (other architectures, or a kernel that refuses
// ioperm but lets root open /dev/port). Each byte is one pwrite(), which the
// kernel passes straight to the port.
class LinuxPortIo : public PortIo {
  public:
    ~LinuxPortIo() override {
        if (devPort_ >= 0) {
            ::close(devPort_);
        }
    }

    bool RequestAccess(uint16_t first, int count) override {
        std::lock_guard lock(mutex_);
        if (count <= 0 || first + count > 0x10000) {
            return false;
        }
#ifdef PLUMORA_HAVE_IOPERM
        if (ioperm(first, static_cast<unsigned long>(count), 1) == 0) {
            useIoperm_ = true;
            return true;
        }
        // Ports granted earlier may not include these: go through /dev/port.
        useIoperm_ = false;
#endif
        if (devPort_ < 0) {
            devPort_ = ::open("/dev/port", O_RDWR | O_CLOEXEC);
        }
        return devPort_ >= 0;
    }

    void Write(uint16_t address, uint8_t value) override {
#ifdef PLUMORA_HAVE_IOPERM
        if (useIoperm_) {
            outb(value, address);
            return;
        }
#endif
        if (devPort_ >= 0) {
            [[maybe_unused]] ssize_t n = ::pwrite(devPort_, &value, 1, address);
        }
    }

    uint8_t Read(uint16_t address) override {
#ifdef PLUMORA_HAVE_IOPERM
        if (useIoperm_) {
            return inb(address);
        }
#endif
        uint8_t value = 0;
        if (devPort_ >= 0 && ::pread(devPort_, &value, 1, address) == 1) {
            return value;
        }
        return 0;
    }

  private:
    std::mutex mutex_;
    bool useIoperm_ = false;
    int devPort_ = -1;
};

}  // namespace

PortIo& PortIo::System() {
    static LinuxPortIo ports;
    return ports;
}
