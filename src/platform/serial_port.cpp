#include "platform/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>

namespace {

int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

speed_t SpeedOf(int baud) {
    switch (baud) {
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        default:
            return B0;
    }
}

tcflag_t SizeOf(int dataBits) {
    switch (dataBits) {
        case 5:
            return CS5;
        case 6:
            return CS6;
        case 7:
            return CS7;
        case 8:
            return CS8;
        default:
            return 0;
    }
}

class TermiosSerialPort : public SerialPort {
  public:
    explicit TermiosSerialPort(int fd) : fd_(fd) {}

    ~TermiosSerialPort() override {
        ioctl(fd_, TIOCNXCL);
        flock(fd_, LOCK_UN);
        ::close(fd_);
    }

    bool SaveLineSettings() override {
        haveSaved_ = tcgetattr(fd_, &saved_) == 0;
        return haveSaved_;
    }

    bool RestoreLineSettings() override {
        return haveSaved_ && tcsetattr(fd_, TCSANOW, &saved_) == 0;
    }

    bool Configure(const SerialLineSettings& settings) override {
        const speed_t speed = SpeedOf(settings.baud);
        const tcflag_t size = SizeOf(settings.dataBits);
        if (speed == B0 || size == 0 || (settings.stopBits != 1 && settings.stopBits != 2) ||
            (settings.parity != 'N' && settings.parity != 'E' && settings.parity != 'O')) {
            return false;
        }
        termios t{};
        if (tcgetattr(fd_, &t) != 0) {
            return false;
        }
        cfmakeraw(&t);
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
        t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | HUPCL);
        t.c_cflag |= size | CREAD | CLOCAL;
        if (settings.parity != 'N') {
            t.c_cflag |= PARENB | (settings.parity == 'O' ? PARODD : 0);
        }
        if (settings.stopBits == 2) {
            t.c_cflag |= CSTOPB;
        }
        if (settings.hardwareFlowControl) {
            t.c_cflag |= CRTSCTS;
        }
        t.c_iflag &= ~(IXON | IXOFF | IXANY);
        if (settings.softwareFlowControl) {
            t.c_iflag |= IXON | IXOFF;
        }
        t.c_cc[VMIN] = 0;
        t.c_cc[VTIME] = 0;
        if (tcsetattr(fd_, TCSANOW, &t) != 0) {
            return false;
        }
        // Modem lines: a pseudo-terminal has none, which is not an error.
        int on = (settings.dtrOn ? TIOCM_DTR : 0) | (settings.rtsOn ? TIOCM_RTS : 0);
        int off = (TIOCM_DTR | TIOCM_RTS) & ~on;
        if (on != 0) {
            ioctl(fd_, TIOCMBIS, &on);
        }
        if (off != 0) {
            ioctl(fd_, TIOCMBIC, &off);
        }
        settings_ = settings;
        return true;
    }

    void Purge() override { tcflush(fd_, TCIOFLUSH); }

    // Line errors are not latched on this system: nothing to clear.
    void ClearErrors() override {}

    void ClearBreak() override { ioctl(fd_, TIOCCBRK); }

    int Write(const uint8_t* data, int size) override {
        if (size <= 0) {
            return 0;
        }
        const int64_t deadline =
            NowMs() + int64_t{settings_.writePerByteMs} * size + settings_.writeConstantMs;
        int done = 0;
        while (done < size) {
            const ssize_t n = ::write(fd_, data + done, static_cast<size_t>(size - done));
            if (n > 0) {
                done += static_cast<int>(n);
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                return done > 0 ? done : -1;
            }
            const Wait wait = WaitFor(POLLOUT, deadline);
            if (wait == Wait::Gone) {
                return done > 0 ? done : -1;
            }
            if (wait == Wait::TimedOut) {
                break;
            }
        }
        return done;
    }

    int Read(uint8_t* data, int size) override {
        if (size <= 0) {
            return 0;
        }
        const int64_t deadline =
            NowMs() + int64_t{settings_.readPerByteMs} * size + settings_.readConstantMs;
        int done = 0;
        while (done < size) {
            const ssize_t n = ::read(fd_, data + done, static_cast<size_t>(size - done));
            if (n > 0) {
                done += static_cast<int>(n);
                continue;
            }
            // A terminal in raw mode without a minimum count answers 0 when
            // nothing is waiting; errors other than "try again" mean the
            // device is gone.
            if (n < 0 && errno != EAGAIN && errno != EINTR) {
                return done > 0 ? done : -1;
            }
            const Wait wait = WaitFor(POLLIN, deadline);
            if (wait == Wait::Gone) {
                return done > 0 ? done : -1;
            }
            if (wait == Wait::TimedOut) {
                break;
            }
        }
        return done;
    }

  private:
    enum class Wait { Ready, TimedOut, Gone };

    // Waits until the port is ready for the events or the deadline passes.
    Wait WaitFor(short events, int64_t deadline) {
        for (;;) {
            const int64_t left = deadline - NowMs();
            if (left <= 0) {
                return Wait::TimedOut;
            }
            pollfd p{fd_, events, 0};
            const int r = poll(&p, 1, static_cast<int>(left));
            if (r > 0) {
                // A hung-up terminal also reports itself readable (with
                // nothing to read): the hang-up decides.
                if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
                    return Wait::Gone;
                }
                if ((p.revents & events) != 0) {
                    return Wait::Ready;
                }
            }
            if (r < 0 && errno != EINTR) {
                return Wait::Gone;
            }
        }
    }

    int fd_;
    termios saved_{};
    bool haveSaved_ = false;
    SerialLineSettings settings_;
};

}  // namespace

std::string DefaultSerialDevicePath(int number) {
    if (number < 1) {
        return {};
    }
    const std::string variable = "PLUMORA_COM" + std::to_string(number);
    if (const char* path = std::getenv(variable.c_str()); path != nullptr && *path != '\0') {
        return path;
    }
    return "/dev/ttyS" + std::to_string(number - 1);
}

TermiosSerialPorts::TermiosSerialPorts(PathOf pathOf) : pathOf_(std::move(pathOf)) {}

std::unique_ptr<SerialPort> TermiosSerialPorts::Open(int number) {
    const std::string path = pathOf_ ? pathOf_(number) : std::string();
    if (path.empty()) {
        return nullptr;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    // Only terminals, and only when no one else holds the port.
    if (!isatty(fd) || flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<TermiosSerialPort>(fd);
}

SerialPorts& SerialPorts::System() {
    static TermiosSerialPorts ports;
    return ports;
}
