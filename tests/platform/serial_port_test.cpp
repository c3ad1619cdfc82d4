#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <chrono>
#include <cstdlib>

#include "platform/serial_port.h"

namespace {

using Clock = std::chrono::steady_clock;

// A pseudo-terminal pair; the slave side plays the COM port.
class PseudoTerminal {
  public:
    PseudoTerminal() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) {
            path_ = ptsname(master_);
        }
    }
    ~PseudoTerminal() { CloseMaster(); }

    const std::string& path() const { return path_; }
    int master() const { return master_; }
    void CloseMaster() {
        if (master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
    }

  private:
    int master_ = -1;
    std::string path_;
};

SerialLineSettings Line() {
    SerialLineSettings line;
    line.readPerByteMs = 3;
    line.readConstantMs = 20;
    line.writePerByteMs = 3;
    line.writeConstantMs = 20;
    return line;
}

TEST(SerialPort, ComNumbersNameSerialDevices) {
    unsetenv("PLUMORA_COM3");
    EXPECT_EQ(DefaultSerialDevicePath(1), "/dev/ttyS0");
    EXPECT_EQ(DefaultSerialDevicePath(3), "/dev/ttyS2");
    EXPECT_EQ(DefaultSerialDevicePath(0), "");
    EXPECT_EQ(DefaultSerialDevicePath(-2), "");
    setenv("PLUMORA_COM3", "/dev/ttyUSB0", 1);
    EXPECT_EQ(DefaultSerialDevicePath(3), "/dev/ttyUSB0");
    EXPECT_EQ(DefaultSerialDevicePath(2), "/dev/ttyS1");
    unsetenv("PLUMORA_COM3");
}

TEST(SerialPort, OnlyExistingTerminalsOpenAndOnlyOnce) {
    QTemporaryDir dir;
    const std::string plainFile = (dir.path() + "/notatty").toStdString();
    ::close(::open(plainFile.c_str(), O_CREAT | O_WRONLY, 0600));
    PseudoTerminal pty;
    TermiosSerialPorts ports([&](int n) {
        switch (n) {
            case 1:
                return pty.path();
            case 2:
                return plainFile;
            default:
                return std::string("/nonexistent/ttyS9");
        }
    });
    EXPECT_EQ(ports.Open(2), nullptr);
    EXPECT_EQ(ports.Open(3), nullptr);
    {
        auto first = ports.Open(1);
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(ports.Open(1), nullptr);  // held exclusively
    }
    EXPECT_NE(ports.Open(1), nullptr);
}

TEST(SerialPort, ConfiguresRawLinesAndRestoresWhatItFound) {
    PseudoTerminal pty;
    TermiosSerialPorts ports([&](int) { return pty.path(); });
    auto port = ports.Open(1);
    ASSERT_NE(port, nullptr);
    const int observer = ::open(pty.path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(observer, 0);
    termios found{};
    tcgetattr(observer, &found);

    ASSERT_TRUE(port->SaveLineSettings());
    ASSERT_TRUE(port->Configure(Line()));
    termios t{};
    tcgetattr(observer, &t);
    EXPECT_EQ(cfgetispeed(&t), B9600);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_NE(t.c_cflag & CLOCAL, 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);

    SerialLineSettings odd = Line();
    odd.baud = 12345;
    EXPECT_FALSE(port->Configure(odd));
    odd = Line();
    odd.parity = 'X';
    EXPECT_FALSE(port->Configure(odd));

    ASSERT_TRUE(port->RestoreLineSettings());
    tcgetattr(observer, &t);
    EXPECT_EQ(t.c_lflag, found.c_lflag);
    EXPECT_EQ(t.c_iflag, found.c_iflag);
    EXPECT_EQ(t.c_cflag, found.c_cflag);
    ::close(observer);
}

TEST(SerialPort, ReadsWithinTheirTimeOutAndFailAtOnceWhenTheDeviceIsGone) {
    PseudoTerminal pty;
    TermiosSerialPorts ports([&](int) { return pty.path(); });
    auto port = ports.Open(1);
    ASSERT_NE(port, nullptr);
    ASSERT_TRUE(port->Configure(Line()));

    const uint8_t frame[] = {0x1D, 0x23, 0x08, 0x23};
    EXPECT_EQ(port->Write(frame, 4), 4);
    uint8_t got[8] = {};
    EXPECT_EQ(::read(pty.master(), got, sizeof got), 4);
    EXPECT_EQ(got[2], 0x08);

    // Fewer bytes than asked: what came, after the time-out (3 ms x 10 + 20).
    const uint8_t answer[] = {0x07, 0x04};
    ASSERT_EQ(::write(pty.master(), answer, 2), 2);
    uint8_t buffer[10] = {};
    auto start = Clock::now();
    EXPECT_EQ(port->Read(buffer, 10), 2);
    auto took = Clock::now() - start;
    EXPECT_EQ(buffer[0], 0x07);
    EXPECT_EQ(buffer[1], 0x04);
    EXPECT_GE(took, std::chrono::milliseconds(45));
    EXPECT_LT(took, std::chrono::milliseconds(1000));

    // All bytes there: no waiting for the time-out.
    const uint8_t four[] = {1, 2, 3, 4};
    ASSERT_EQ(::write(pty.master(), four, 4), 4);
    uint8_t two[2];
    EXPECT_EQ(port->Read(two, 2), 2);
    EXPECT_EQ(port->Read(two, 2), 2);
    EXPECT_EQ(two[1], 4);

    // Purge drops what was waiting.
    ASSERT_EQ(::write(pty.master(), four, 4), 4);
    usleep(20000);
    port->Purge();
    EXPECT_EQ(port->Read(two, 2), 0);

    pty.CloseMaster();
    start = Clock::now();
    EXPECT_EQ(port->Read(buffer, 10), -1);
    EXPECT_EQ(port->Write(frame, 4), -1);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(40));
}

}  // namespace
