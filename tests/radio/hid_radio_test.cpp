#include <gtest/gtest.h>

#include <memory>

#include "radio/fake_hid.h"
#include "radio/radio_shark.h"
#include "radio/silabs_radio.h"
#include "support/fake_clock.h"
#include "support/message_box_recorder.h"

namespace {

using Transfer = FakeHidDeviceState::Transfer;
using Bytes = std::vector<uint8_t>;

constexpr uint16_t kVendor = 0x06E1;
constexpr uint16_t kProduct = 0xA155;

// "G17" a get of report 17, "S5" a set of report 5, "O" an output report.
std::string Transfers(const FakeHidDeviceState& device) {
    std::string text;
    for (const Transfer& t : device.transfers) {
        if (!text.empty()) {
            text += ' ';
        }
        if (t.kind == Transfer::Output) {
            text += "O";
        } else {
            text += (t.kind == Transfer::GetFeature ? "G" : "S") + std::to_string(t.data.at(0));
        }
    }
    return text;
}

uint16_t Word(const Bytes& data, size_t at) {
    return static_cast<uint16_t>((data.at(at) << 8) | data.at(at + 1));
}

class SiLabsTest : public ::testing::Test {
  protected:
    SiLabsTest() { hid.Add(kVendor, kProduct, &stick); }

    std::unique_ptr<SSILabs> Make() {
        return std::make_unique<SSILabs>(kVendor, kProduct, hid, clock);
    }
    void SetPage(uint8_t channelHigh, uint8_t flags, uint8_t seek) {
        stick.scratch[0] = 1;
        stick.scratch[18] = channelHigh;
        stick.scratch[19] = flags;
        stick.scratch[20] = seek;
    }

    FakeSi470x stick;
    FakeHidLayer hid;
    FakeClock clock;
    MessageBoxRecorder messages;
};

TEST_F(SiLabsTest, ValidScratchPageConfiguresTheReceiverAndPicksTheStartChannel) {
    // Band 76-90, 100 kHz, 50 us, mono; start channel 25 * 4 + 2 = 102.
    SetPage(25, 0x80 | 0x20 | 0x04 | 0x02 | 0x10, 0x19);
    stick.registers[15] = 0xABCD;
    auto radio = Make();
    ASSERT_TRUE(radio->IsOpen());
    EXPECT_EQ(Transfers(stick), "G17 S19 G20 S5 S6 S3 S5 S6 S3 S4 G11 S4 G12");
    EXPECT_EQ(stick.leds, (std::vector<int>{2}));

    const SSILabs::Configuration& config = radio->GetConfiguration();
    EXPECT_TRUE(config.valid);
    EXPECT_TRUE(config.band76To90);
    EXPECT_EQ(config.spacingKhz, 100);
    EXPECT_TRUE(config.deemphasis50);
    EXPECT_TRUE(config.mono);
    EXPECT_EQ(config.seekThreshold, 0x19);
    EXPECT_FLOAT_EQ(radio->GetFrequency(), 86.2f);
    EXPECT_EQ(stick.tunedChannels, (std::vector<int>{102}));

    EXPECT_EQ(stick.registers[4], 0x1800);  // RDS on, 50 us
    EXPECT_EQ(stick.registers[5], 0x199F);  // seek 0x19, band, 100 kHz, volume kept
    EXPECT_EQ(stick.registers[2], 0x2001);  // mono
    EXPECT_EQ(stick.registers[3], 102);     // tune request cleared again

    // A configuration write carries its register and the shadow after it.
    const Transfer first = stick.OfReport(5, Transfer::SetFeature).at(0);
    ASSERT_EQ(first.data.size(), 64u);
    EXPECT_EQ(Word(first.data, 1), 0x1800);
    EXPECT_EQ(Word(first.data, 3), 0x199F);
    EXPECT_EQ(Word(first.data, 23), 0xABCD);  // register 15, as read from the stick
    EXPECT_EQ(Bytes(first.data.begin() + 25, first.data.end()), Bytes(39, 0));
    EXPECT_TRUE(messages.calls().empty());
}

TEST_F(SiLabsTest, EmptyScratchPageGivesTheDefaultsAndStartsAt1023) {
    auto radio = Make();
    EXPECT_FALSE(radio->GetConfiguration().valid);
    EXPECT_EQ(Transfers(stick), "G17 S19 G20 S5 S6 S3 S4 G11 S4 G12");
    EXPECT_FLOAT_EQ(radio->GetFrequency(), 102.3f);
    EXPECT_EQ(stick.tunedChannels, (std::vector<int>{74}));
    EXPECT_EQ(stick.registers[5], 0x1F0F);  // seek 31, 87.5-108, 200 kHz
    EXPECT_EQ(stick.registers[4], 0x1000);
    EXPECT_EQ(stick.registers[2], 0x0001);  // stereo
}

TEST_F(SiLabsTest, ChannelNumbersFollowBandAndSpacing) {
    {
        auto radio = Make();  // 87.5-108, 200 kHz
        radio->SetFrequency(100.0f);
        radio->SetFrequency(89.9f);
        radio->SetFrequency(108.0f);
        EXPECT_EQ(stick.tunedChannels, (std::vector<int>{74, 62, 12, 102}));
        // Below the band: remembered, nothing sent.
        const size_t before = stick.transfers.size();
        EXPECT_EQ(radio->SetFrequency(80.0f), 0);
        EXPECT_FLOAT_EQ(radio->GetFrequency(), 80.0f);
        EXPECT_EQ(stick.transfers.size(), before);
    }
    struct Case {
        uint8_t flags;
        float mhz;
        int channel;
    };
    for (const Case& c : {Case{0x04, 89.9f, 24}, Case{0x08, 89.9f, 48}, Case{0x20, 80.0f, 20},
                          Case{0x20, 90.0f, 70}, Case{0x24, 76.0f, 0}}) {
        SCOPED_TRACE(c.flags);
        FakeSi470x other;
        other.scratch[0] = 1;
        other.scratch[19] = c.flags;
        FakeHidLayer bus;
        bus.Add(kVendor, kProduct, &other);
        SSILabs radio(kVendor, kProduct, bus, clock);
        radio.SetFrequency(c.mhz);
        EXPECT_EQ(other.tunedChannels.back(), c.channel);
        // 95 MHz lies outside 76-90.
        if ((c.flags & 0x20) != 0) {
            const size_t before = other.tunedChannels.size();
            radio.SetFrequency(95.0f);
            EXPECT_EQ(other.tunedChannels.size(), before);
        }
    }
}

TEST_F(SiLabsTest, TuneThatNeverCompletesIsGivenUpAfterSixSecondsOrAFailedRead) {
    stick.tuneCompletes = false;
    stick.clock = &clock;
    auto radio = Make();
    ASSERT_TRUE(radio->IsOpen());
    EXPECT_GT(clock.MonotonicMs(), SSILabs::kTuneLimitMs);
    EXPECT_LT(clock.MonotonicMs(), SSILabs::kTuneLimitMs + 50);
    // The request was not withdrawn: one write of the channel register only.
    EXPECT_EQ(stick.OfReport(4, Transfer::SetFeature).size(), 1u);
    EXPECT_NE(radio->Registers()[3] & SSILabs::kTuneRequest, 0);

    const int64_t start = clock.MonotonicMs();
    radio->SetFrequency(100.0f);
    EXPECT_GT(clock.MonotonicMs() - start, SSILabs::kTuneLimitMs);
    EXPECT_LT(clock.MonotonicMs() - start, SSILabs::kTuneLimitMs + 50);

    // A status read that fails ends the wait at once.
    stick.refusedReports = {11};
    stick.transfers.clear();
    radio->SetFrequency(101.0f);
    EXPECT_EQ(Transfers(stick), "S4 G11");
}

TEST_F(SiLabsTest, ShortFeatureReportsAreRefused) {
    stick.featureLength = 32;
    {
        auto radio = Make();
        EXPECT_FALSE(radio->IsOpen());
        EXPECT_TRUE(stick.transfers.empty());
        EXPECT_EQ(stick.closes, 1);
        EXPECT_FALSE(radio->SetMute(false));
        EXPECT_EQ(radio->SetFrequency(95.0f), 0);
        EXPECT_FLOAT_EQ(radio->GetFrequency(), 95.0f);
    }
    EXPECT_TRUE(stick.leds.empty());

    // 33 bytes carry all registers but not the 63-byte scratch page: the
    // stick runs on the defaults.
    stick.featureLength = 33;
    auto radio = Make();
    ASSERT_TRUE(radio->IsOpen());
    EXPECT_TRUE(stick.OfReport(20, Transfer::GetFeature).empty());
    EXPECT_FLOAT_EQ(radio->GetFrequency(), 102.3f);
    EXPECT_EQ(stick.tunedChannels, (std::vector<int>{74}));
    for (const Transfer& t : stick.transfers) {
        EXPECT_EQ(t.data.size(), 33u);
    }
}

TEST_F(SiLabsTest, RefusedReportsLeaveTheStickClosedOrHalfSetUp) {
    stick.refusedReports = {17};
    {
        auto radio = Make();
        EXPECT_FALSE(radio->IsOpen());
        EXPECT_EQ(Transfers(stick), "G17");
        EXPECT_FALSE(radio->SetMute(false));
    }
    EXPECT_TRUE(stick.leds.empty());
    EXPECT_FALSE(stick.open);

    FakeSi470x half;
    half.refusedReports = {6};
    FakeHidLayer bus;
    bus.Add(kVendor, kProduct, &half);
    SSILabs radio(kVendor, kProduct, bus, clock);
    EXPECT_TRUE(radio.IsOpen());
    EXPECT_EQ(Transfers(half), "G17 S19 G20 S5 S6");
    EXPECT_TRUE(half.tunedChannels.empty());
    EXPECT_TRUE(radio.SetMute(false));
    EXPECT_EQ(half.registers[2] & SSILabs::kAudioOn, SSILabs::kAudioOn);
    EXPECT_TRUE(messages.calls().empty());
}

TEST_F(SiLabsTest, MuteSwitchesTheAudioBitAndGoodbyeTurnsTheLightOff) {
    auto radio = Make();
    stick.transfers.clear();
    EXPECT_TRUE(radio->SetMute(false));
    EXPECT_FALSE(radio->IsMuted());
    const Transfer unmute = stick.transfers.at(0);
    EXPECT_EQ(unmute.data.at(0), 3);
    EXPECT_EQ(Word(unmute.data, 1), 0x4001);
    EXPECT_EQ(Bytes(unmute.data.begin() + 3, unmute.data.end()), Bytes(61, 0));  // one register
    EXPECT_TRUE(radio->SetMute(true));
    EXPECT_EQ(stick.registers[2], 0x0001);
    EXPECT_FALSE(radio->IsMuted());  // the stick cannot be asked
    EXPECT_FALSE(radio->IsTuned());
    EXPECT_FALSE(radio->HasAmBand());

    radio.reset();
    EXPECT_EQ(stick.leds, (std::vector<int>{2, 16}));
    EXPECT_FALSE(stick.open);
}

TEST_F(SiLabsTest, OnlyTheStickWithTheRightIdsIsOpened) {
    FakeSi470x wrong;
    FakeHidLayer bus;
    bus.Add(0x10C5, 0x819A, &wrong);      // the other stick
    bus.Add(kVendor, kProduct, nullptr);  // listed, cannot be opened
    bus.Add(kVendor, kProduct, &stick);
    SSILabs radio(kVendor, kProduct, bus, clock);
    EXPECT_TRUE(radio.IsOpen());
    EXPECT_EQ(wrong.opens, 0);
    EXPECT_EQ(stick.opens, 1);

    FakeHidLayer empty;
    SSILabs absent(kVendor, kProduct, empty, clock);
    EXPECT_FALSE(absent.IsOpen());
    EXPECT_FALSE(absent.SetMute(false));
    EXPECT_TRUE(messages.calls().empty());
}

// ---- radioShark ----

TEST(RadioSharkReport, TuningCodes) {
    EXPECT_EQ(SRadioShark::ReportFor(88.1f),
              (SRadioShark::Report{0x00, 0xC0, 0x02, 0x1E, 0xE4, 0x00, 0x00}));
    const auto code = [](const SRadioShark::Report& r) { return (r[3] << 8) | r[4]; };
    EXPECT_EQ(code(SRadioShark::ReportFor(108.0f)), 9500);
    EXPECT_EQ(code(SRadioShark::ReportFor(76.0f)), 6941);
    EXPECT_EQ(SRadioShark::ReportFor(1.0f)[2], 0x12);
    EXPECT_EQ(code(SRadioShark::ReportFor(1.0f)), 1450);
    EXPECT_EQ(code(SRadioShark::ReportFor(0.52f)), 969);  // the float lies just below 0.52
    EXPECT_EQ(SRadioShark::ReportFor(50.0f),
              (SRadioShark::Report{0x00, 0xC0, 0x02, 0x00, 0x00, 0x00, 0x00}));
}

TEST(RadioShark, OpensOnUnmuteAndTunesToTheRememberedFrequency) {
    FakeShark shark;
    FakeHidLayer bus;
    bus.Add(SRadioShark::kVendorId, SRadioShark::kProductId, &shark);
    auto radio = std::make_unique<SRadioShark>(bus);
    EXPECT_EQ(shark.opens, 0);
    EXPECT_TRUE(radio->IsMuted());
    EXPECT_TRUE(radio->HasAmBand());

    // Muted: only remembered.
    EXPECT_EQ(radio->SetFrequency(88.1f), 0);
    EXPECT_TRUE(shark.transfers.empty());

    EXPECT_FALSE(radio->SetMute(false));
    EXPECT_EQ(shark.opens, 1);
    ASSERT_EQ(shark.transfers.size(), 1u);
    EXPECT_EQ(shark.transfers[0].data, (Bytes{0x00, 0xC0, 0x02, 0x1E, 0xE4, 0x00, 0x00}));

    EXPECT_EQ(radio->SetFrequency(1.0f), 1450);
    EXPECT_EQ(shark.transfers.back().data, (Bytes{0x00, 0xC0, 0x12, 0x05, 0xAA, 0x00, 0x00}));
    EXPECT_FALSE(radio->SetMute(false));  // already open
    EXPECT_EQ(shark.opens, 1);

    EXPECT_FALSE(radio->SetMute(true));
    EXPECT_FALSE(shark.open);
    EXPECT_EQ(radio->SetFrequency(100.0f), 0);
    EXPECT_EQ(shark.transfers.size(), 2u);
    radio->SetMute(false);
    EXPECT_EQ(shark.transfers.size(), 3u);
    radio.reset();
    EXPECT_FALSE(shark.open);
    EXPECT_EQ(shark.closes, 2);
}

TEST(RadioShark, WithoutAFrequencyOrADeviceNothingIsSent) {
    FakeShark shark;
    FakeHidLayer bus;
    bus.Add(SRadioShark::kVendorId, SRadioShark::kProductId, &shark);
    SRadioShark radio(bus);
    radio.SetMute(false);  // frequency 0: opened, not tuned
    EXPECT_TRUE(shark.open);
    EXPECT_TRUE(shark.transfers.empty());

    // A device that refuses the report: the code is still the answer.
    shark.refuseOutput = true;
    EXPECT_EQ(radio.SetFrequency(88.1f), 7908);

    FakeHidLayer empty;
    SRadioShark absent(empty);
    EXPECT_FALSE(absent.SetMute(false));
    EXPECT_FALSE(absent.IsOpen());
    EXPECT_EQ(absent.SetFrequency(88.1f), 0);
    EXPECT_FALSE(absent.IsTuned());
}

}  // namespace
