#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>

#include "radio/radio_man.h"
#include "radio/simulated_serial_radio.h"
#include "support/fake_clock.h"
#include "support/message_box_recorder.h"

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kQuery = {0x1D, 0x23, 0x08, 0x23};
const QString kInitCaption = "Plumora RadioMan/Wizard initialize";

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

// COM numbers mapped to device paths; a number without a path names a device
// that does not exist. Remembers which numbers were opened.
class TestSerialPorts : public TermiosSerialPorts {
  public:
    TestSerialPorts()
        : TermiosSerialPorts([this](int n) {
              asked.push_back(n);
              const auto it = paths.find(n);
              return it == paths.end() ? std::string("/nonexistent/tty") + std::to_string(n)
                                       : it->second;
          }) {}

    std::map<int, std::string> paths;
    std::vector<int> asked;
};

bool SameLine(const termios& a, const termios& b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && cfgetospeed(&a) == cfgetospeed(&b);
}

class RadioManTest : public ::testing::Test {
  protected:
    TestSerialPorts ports;
    FakeClock clock;
    MessageBoxRecorder messages;
};

TEST_F(RadioManTest, PresentRadioIsFoundAndDrivenWithItsFrames) {
    SimulatedSerialRadio device;
    ASSERT_TRUE(device.ok());
    ports.paths[2] = device.path();
    const termios before = device.LineSettings();
    auto radio = std::make_unique<SRadioMan>(2, ports, clock);

    EXPECT_TRUE(messages.calls().empty());
    EXPECT_EQ(radio->PortInUse(), 2);
    EXPECT_EQ(device.Received(), kQuery);
    // Drain 12 times, query, 20 ms, 10 listening reads.
    EXPECT_EQ(clock.sleeps, (std::vector<int>{1,  1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                              20, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
    const termios open = device.LineSettings();
    EXPECT_EQ(cfgetospeed(&open), B9600);
    EXPECT_EQ(open.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(open.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(open.c_iflag & (IXON | IXOFF), 0u);
    EXPECT_EQ(open.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_TRUE(radio->HasAmBand());

    clock.sleeps.clear();
    EXPECT_EQ(radio->SetFrequency(88.0f), 240);
    EXPECT_EQ(radio->SetFrequency(76.0f), 0);
    EXPECT_EQ(radio->SetFrequency(108.0f), 640);
    EXPECT_EQ(radio->SetFrequency(1.0f), 480);
    ASSERT_TRUE(device.WaitForReceived(4 + 4 * 7));
    EXPECT_EQ(device.Received(), Cat({kQuery,
                                      {0x1D, 0x23, 0x05, 0x23, '2', '4', '0'},
                                      {0x1D, 0x23, 0x05, 0x23, '0', '0', '0'},
                                      {0x1D, 0x23, 0x05, 0x23, '6', '4', '0'},
                                      {0x1D, 0x23, 0x09, 0x23, 0x00, 0x01, 0xE0}}));
    EXPECT_EQ(clock.sleeps, (std::vector<int>{20, 20, 20, 20}));

    // Neither band: nothing is sent, the frequency is still remembered.
    EXPECT_EQ(radio->SetFrequency(50.0f), 0);
    EXPECT_FLOAT_EQ(radio->GetFrequency(), 50.0f);

    // Muting purges the line first; the fake clock does not really wait, so
    // let each frame arrive before the next purge.
    clock.sleeps.clear();
    EXPECT_TRUE(radio->SetMute(false));
    EXPECT_FALSE(radio->IsMuted());
    ASSERT_TRUE(device.WaitForReceived(4 + 4 * 7 + 4));
    EXPECT_TRUE(radio->SetMute(true));
    EXPECT_TRUE(radio->IsMuted());
    EXPECT_EQ(clock.sleeps, (std::vector<int>{20, 20, 20, 20}));
    ASSERT_TRUE(device.WaitForReceived(4 + 4 * 7 + 8));
    const Bytes all = device.Received();
    EXPECT_EQ(Bytes(all.end() - 8, all.end()),
              (Bytes{0x1D, 0x23, 0x01, 0x23, 0x1D, 0x23, 0x02, 0x23}));

    // Station received: 0x04 somewhere in the answer.
    EXPECT_FALSE(radio->IsTuned());
    device.SetAnswer({0x07, 0x04});
    EXPECT_TRUE(radio->IsTuned());
    EXPECT_EQ(device.StatusQueries(), 3);

    // Goodbye: one more query, then the port is given back as it was found.
    radio.reset();
    EXPECT_TRUE(device.WaitForReceived(all.size() + 8 + 4));
    EXPECT_EQ(device.StatusQueries(), 4);
    EXPECT_TRUE(SameLine(device.LineSettings(), before));
}

TEST(RadioManChannels, BandEdgesAreComparedInDoublePrecision) {
    // 519 kHz lies below the AM band's first channel (520 kHz): in single
    // precision it would pass the range test and go out as channel 0.
    EXPECT_EQ(SRadioMan::AmChannel(0.519f), -1);
    EXPECT_EQ(SRadioMan::AmChannel(0.52f), 0);
    EXPECT_EQ(SRadioMan::AmChannel(0.521f), 1);
    EXPECT_EQ(SRadioMan::AmChannel(1.0f), 480);
    EXPECT_EQ(SRadioMan::AmChannel(1.711f), 1190);
    EXPECT_EQ(SRadioMan::AmChannel(1.712f), -1);
    EXPECT_EQ(SRadioMan::FmChannel(75.95f), -1);
    EXPECT_EQ(SRadioMan::FmChannel(76.0f), 0);
    EXPECT_EQ(SRadioMan::FmChannel(108.0f), 640);
    EXPECT_EQ(SRadioMan::FmChannel(108.05f), -1);
}

TEST_F(RadioManTest, FrequencyBelowTheAmBandSendsNothing) {
    SimulatedSerialRadio device;
    ASSERT_TRUE(device.ok());
    ports.paths[3] = device.path();
    SRadioMan radio(3, ports, clock);
    ASSERT_EQ(radio.PortInUse(), 3);

    EXPECT_EQ(radio.SetFrequency(0.519f), 0);
    EXPECT_EQ(radio.SetFrequency(0.52f), 0);
    ASSERT_TRUE(device.WaitForReceived(4 + 7));
    // Only the 520 kHz frame follows the presence query.
    EXPECT_EQ(device.Received(), Cat({kQuery, {0x1D, 0x23, 0x09, 0x23, 0x00, 0x00, 0x00}}));
}

TEST_F(RadioManTest, SilentPortIsReportedAndLeftAsFound) {
    SimulatedSerialRadio device(Bytes{});
    ports.paths[1] = device.path();
    const termios before = device.LineSettings();
    {
        SRadioMan radio(1, ports, clock);
        ASSERT_EQ(messages.calls().size(), 1u);
        EXPECT_EQ(messages.calls()[0].text, "Can't detect radio device on serial port COM1 .");
        EXPECT_EQ(messages.calls()[0].caption, kInitCaption);
        EXPECT_EQ(messages.calls()[0].icon, MessageIcon::None);
        EXPECT_EQ(radio.PortInUse(), 0);
        EXPECT_TRUE(SameLine(device.LineSettings(), before));
        EXPECT_EQ(radio.SetFrequency(88.0f), 0);
        EXPECT_FALSE(radio.SetMute(false));
        EXPECT_FALSE(radio.IsTuned());
    }
    // The port was closed at once: nothing but the probe ever reached it.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(device.Received(), kQuery);
    EXPECT_EQ(messages.calls().size(), 1u);
}

TEST_F(RadioManTest, NoiseWithoutThePresenceByteIsNoRadio) {
    SimulatedSerialRadio device({0xFF, 0x00, 0x55, 0x04, 0xAA, 0x06, 0x08});
    ports.paths[4] = device.path();
    SRadioMan radio(4, ports, clock);
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].text, "Can't detect radio device on serial port COM4 .");
    EXPECT_FALSE(radio.IsTuned());
    EXPECT_EQ(device.StatusQueries(), 1);
}

TEST_F(RadioManTest, PortThatCannotBeOpenedLeavesAnInertDevice) {
    SRadioMan radio(3, ports, clock);
    EXPECT_EQ(ports.asked, (std::vector<int>{3}));
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].text, "Can't open serial port COM3 to detect radio device.");
    EXPECT_EQ(messages.calls()[0].caption, "Plumora");
    EXPECT_EQ(messages.calls()[0].icon, MessageIcon::None);

    EXPECT_EQ(radio.SetFrequency(91.0f), 0);
    EXPECT_FLOAT_EQ(radio.GetFrequency(), 91.0f);
    EXPECT_FALSE(radio.SetMute(false));
    EXPECT_TRUE(radio.IsMuted());
    EXPECT_FALSE(radio.IsTuned());
    EXPECT_FALSE(radio.StepVolume(true));
}

TEST_F(RadioManTest, AutoDetectStopsAtTheFirstPortThatAnswers) {
    SimulatedSerialRadio silent(Bytes{});
    SimulatedSerialRadio radioOn2;
    SimulatedSerialRadio radioOn3;
    ports.paths = {{1, silent.path()}, {2, radioOn2.path()}, {3, radioOn3.path()}};
    SRadioMan radio(0, ports, clock);
    EXPECT_TRUE(messages.calls().empty());
    EXPECT_EQ(ports.asked, (std::vector<int>{1, 2}));
    EXPECT_EQ(radio.PortInUse(), 2);
    EXPECT_EQ(radio.SetFrequency(100.0f), 480);
    EXPECT_TRUE(radioOn2.WaitForReceived(4 + 7));
    EXPECT_TRUE(radioOn3.Received().empty());
}

TEST_F(RadioManTest, AutoDetectStopsAtTheFirstPortThatCannotBeOpened) {
    SimulatedSerialRadio silent(Bytes{});
    SimulatedSerialRadio radioOn3;
    ports.paths = {{1, silent.path()}, {3, radioOn3.path()}};
    SRadioMan radio(0, ports, clock);
    EXPECT_EQ(ports.asked, (std::vector<int>{1, 2}));
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].text,
              "Can't find radio device connected to serial port using Auto-detect.");
    EXPECT_EQ(messages.calls()[0].caption, kInitCaption);
    EXPECT_EQ(radio.PortInUse(), 0);
    EXPECT_TRUE(radioOn3.Received().empty());
}

TEST_F(RadioManTest, PortNumbersOutsideOneToEightMeanAutoDetect) {
    for (int port : {0, 9, 12, -1}) {
        SCOPED_TRACE(port);
        TestSerialPorts none;
        MessageBoxRecorder recorder;
        SRadioMan radio(port, none, clock);
        // COM1 cannot be opened: the search ends there at once.
        EXPECT_EQ(none.asked, (std::vector<int>{1}));
        ASSERT_EQ(recorder.calls().size(), 1u);
        EXPECT_EQ(recorder.calls()[0].text,
                  "Can't find radio device connected to serial port using Auto-detect.");
    }
    TestSerialPorts eight;
    SRadioMan radio(8, eight, clock);
    EXPECT_EQ(eight.asked, (std::vector<int>{8}));
}

TEST_F(RadioManTest, RadioThatDisappearsNeitherBlocksNorReportsAStation) {
    SimulatedSerialRadio device({0x07, 0x04});
    ports.paths[1] = device.path();
    auto radio = std::make_unique<SRadioMan>(1, ports, clock);
    ASSERT_EQ(radio->PortInUse(), 1);
    device.Disappear();

    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(radio->IsTuned());
    EXPECT_EQ(radio->SetFrequency(88.0f), 240);  // write errors are not reported
    EXPECT_TRUE(radio->SetMute(false));
    radio.reset();
    // Every read fails at once instead of waiting for its time-out.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

TEST_F(RadioManTest, WizardRemembersOnlyWhatItSentAndHasNoAm) {
    SimulatedSerialRadio device;
    ports.paths[5] = device.path();
    SWizard radio(5, ports, clock);
    ASSERT_EQ(radio.PortInUse(), 5);
    EXPECT_FALSE(radio.HasAmBand());

    clock.sleeps.clear();
    EXPECT_EQ(radio.SetFrequency(88.0f), 240);
    EXPECT_EQ(radio.SetFrequency(1.0f), 1);  // AM: the frame goes out, the answer is 1
    EXPECT_EQ(clock.sleeps, (std::vector<int>{10, 10}));
    EXPECT_FLOAT_EQ(radio.GetFrequency(), 1.0f);
    EXPECT_EQ(radio.SetFrequency(50.0f), 0);
    EXPECT_FLOAT_EQ(radio.GetFrequency(), 1.0f);
    ASSERT_TRUE(device.WaitForReceived(4 + 14));
    EXPECT_EQ(device.Received(), Cat({kQuery,
                                      {0x1D, 0x23, 0x05, 0x23, '2', '4', '0'},
                                      {0x1D, 0x23, 0x09, 0x23, 0x00, 0x01, 0xE0}}));

    // Mute and the tuned signal are the RadioMan's.
    EXPECT_TRUE(radio.SetMute(false));
    device.SetAnswer({0x04, 0x07});
    EXPECT_TRUE(radio.IsTuned());

    TestSerialPorts none;
    MessageBoxRecorder recorder;
    SWizard absent(1, none, clock);
    EXPECT_EQ(absent.SetFrequency(95.0f), 0);
    EXPECT_FLOAT_EQ(absent.GetFrequency(), 0.0f);
}

}  // namespace
