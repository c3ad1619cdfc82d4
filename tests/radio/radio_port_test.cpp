#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "radio/radio_port.h"
#include "radio/recording_ports.h"
#include "radio/zoltrix108.h"
#include "support/message_box_recorder.h"

namespace {

using Event = RecordingPorts::Event;

std::vector<int> Slice(const std::vector<int>& bytes, size_t first, size_t count) {
    EXPECT_LE(first + count, bytes.size());
    if (first + count > bytes.size()) {
        return {};
    }
    return {bytes.begin() + first, bytes.begin() + first + count};
}

class PortCardTest : public ::testing::Test {
  protected:
    RecordingPorts ports;
    RecordingPorts::RecordingClock clock{ports};
    MessageBoxRecorder messages;
};

// ---- RadioTrack (older model) ----

TEST_F(PortCardTest, RadioTrackShiftsA24BitWordLeastSignificantFirst) {
    SRadioTrack radio(0x30C, ports, clock);
    EXPECT_TRUE(messages.calls().empty());
    ASSERT_EQ(ports.requests, (std::vector<std::pair<int, int>>{{0x30C, 4}}));

    EXPECT_EQ(radio.SetFrequency(89.9f), 10489784);
    const std::vector<int> bytes = ports.Written();
    ASSERT_EQ(bytes.size(), 1u + 72u + 1u);
    EXPECT_EQ(bytes.front(), 0x00);
    EXPECT_EQ(bytes.back(), 0x00);
    const auto bits = DecodeBits(Slice(bytes, 1, 72), {0x05, 0x07, 0x05}, {0x01, 0x03, 0x01});
    ASSERT_TRUE(bits.has_value());
    EXPECT_EQ(LsbFirst(*bits, 0, 24), 0xA00FB8);
    // Muted: no delay and no volume command after the word.
    EXPECT_TRUE(ports.Sleeps().empty());
    for (const Event& e : ports.events) {
        EXPECT_EQ(e.address, 0x30C);
    }
    EXPECT_FLOAT_EQ(radio.GetFrequency(), 89.9f);
}

TEST_F(PortCardTest, RadioTrackPlayingAgainOnlyAfterTheSynthesizerSettled) {
    SRadioTrack radio(0x20C, ports, clock);
    EXPECT_TRUE(radio.SetMute(false));
    EXPECT_EQ(ports.Timeline(), "W00 WC8");
    ports.Clear();

    radio.SetFrequency(104.5f);
    const std::vector<int> bytes = ports.Written();
    ASSERT_EQ(bytes.size(), 75u);
    EXPECT_EQ(bytes.back(), 0xC8);
    const std::string timeline = ports.Timeline();
    EXPECT_EQ(timeline.substr(timeline.size() - 12), "W00 S100 WC8");
    const auto bits = DecodeBits(Slice(bytes, 1, 72), {0x05, 0x07, 0x05}, {0x01, 0x03, 0x01});
    ASSERT_TRUE(bits.has_value());
    EXPECT_EQ(LsbFirst(*bits, 0, 24), 10486188 + 4180);  // 104.5 MHz in 25 kHz steps

    ports.Clear();
    EXPECT_TRUE(radio.SetMute(true));
    EXPECT_EQ(ports.Timeline(), "W00");
    EXPECT_TRUE(radio.IsMuted());
}

TEST_F(PortCardTest, RadioTrackVolumeAndTunedSignal) {
    SRadioTrack radio(0x30C, ports, clock);
    EXPECT_TRUE(radio.StepVolume(true));
    EXPECT_TRUE(radio.StepVolume(false));
    EXPECT_EQ(ports.Timeline(), "W88 S50 WC8 W48 S50 WC8");
    ports.Clear();

    // Muted: ask with 0x10; bit 1 clear means a station.
    ports.reads[0x30C] = {0x00, 0x02, 0xFD};
    EXPECT_TRUE(radio.IsTuned());
    EXPECT_EQ(ports.Timeline(), "W10 S150 R30C W00");
    EXPECT_FALSE(radio.IsTuned());
    radio.SetMute(false);
    ports.Clear();
    // Playing: ask with 0xD8 and switch the audio on again afterwards.
    EXPECT_TRUE(radio.IsTuned());
    EXPECT_EQ(ports.Timeline(), "WD8 S150 R30C W00 WC8");
    EXPECT_FALSE(radio.HasAmBand());
}

// ---- RadioTrack ----

TEST_F(PortCardTest, RadioTrack2SendsPreambleAndA15BitWordAndLeavesVolumeToTheMixer) {
    SRadioTrack2 radio(0x30C, ports, clock);
    EXPECT_EQ(radio.SetFrequency(89.9f), 8048);
    const std::vector<int> bytes = ports.Written();
    ASSERT_EQ(bytes.size(), 4u + 75u + 2u);
    EXPECT_EQ(Slice(bytes, 0, 4), (std::vector<int>{0x01, 0xC8, 0xC9, 0xC9}));
    const auto bits = DecodeBits(Slice(bytes, 4, 75), {0x05, 0x07, 0x05}, {0x01, 0x03, 0x01});
    ASSERT_TRUE(bits.has_value());
    EXPECT_EQ(MsbFirst(*bits, 0, 10), 0);
    EXPECT_EQ(MsbFirst(*bits, 10, 15), 8048);
    EXPECT_EQ(Slice(bytes, 79, 2), (std::vector<int>{0xC8, 0x01}));  // still muted
    EXPECT_TRUE(ports.Sleeps().empty());

    radio.SetMute(false);
    ports.Clear();
    EXPECT_EQ(radio.SetFrequency(108.0f), 9496);
    EXPECT_EQ(ports.Written().back(), 0x00);  // playing

    // Volume is left to the mixer; the signal is bit 1, clear for a station.
    ports.Clear();
    EXPECT_FALSE(radio.StepVolume(true));
    EXPECT_TRUE(ports.events.empty());
    ports.reads[0x30C] = {0x00, 0x02};
    EXPECT_TRUE(radio.IsTuned());
    EXPECT_FALSE(radio.IsTuned());
    EXPECT_EQ(ports.Timeline(), "S50 R30C S50 R30C");
    ports.Clear();
    radio.SetMute(true);
    EXPECT_EQ(ports.Timeline(), "W01");
}

// ---- Aztech ----

TEST_F(PortCardTest, AztechTunesIn100KilohertzStepsAboveTheIntermediateFrequency) {
    SAztechRadio radio(0x350, ports, clock);
    // The float 89.9 lies just above 89.9.
    EXPECT_EQ(radio.SetFrequency(89.9f), 89900001);
    const std::vector<int> bytes = ports.Written();
    ASSERT_EQ(bytes.size(), 1u + 24u * 6u + 1u);
    EXPECT_EQ(bytes.front(), 0x02);
    EXPECT_EQ(bytes.back(), 0x00);  // muted: no volume byte
    const auto bits = DecodeBits(Slice(bytes, 1, 144), {0x82, 0x82, 0xC2, 0xC2, 0x82, 0x82},
                                 {0x02, 0x02, 0x42, 0x42, 0x02, 0x02});
    ASSERT_TRUE(bits.has_value());
    EXPECT_EQ(LsbFirst(*bits, 0, 14), 1006);
    EXPECT_EQ(LsbFirst(*bits, 14, 9), 0);
    EXPECT_EQ(bits->at(23), 1);

    radio.SetMute(false);
    ports.Clear();
    radio.SetFrequency(88.0f);
    EXPECT_EQ(ports.Written().back(), 0x04);  // the volume comes back on
}

TEST_F(PortCardTest, AztechVolumeLivesInBitsZeroAndTwoAndTheSignalInBitsZeroAndOne) {
    SAztechRadio radio(0x358, ports, clock);
    EXPECT_EQ(radio.VolumeBits(), 4);  // level 2
    radio.SetMute(false);
    ports.Clear();
    EXPECT_TRUE(radio.StepVolume(true));
    EXPECT_EQ(radio.VolumeBits(), 5);  // level 3
    EXPECT_TRUE(radio.StepVolume(true));
    EXPECT_EQ(radio.VolumeBits(), 5);  // stays at the top
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(radio.StepVolume(false));
    }
    EXPECT_EQ(radio.VolumeBits(), 0);
    EXPECT_TRUE(radio.StepVolume(false));
    EXPECT_EQ(radio.VolumeBits(), 0);
    EXPECT_EQ(ports.Written(), (std::vector<int>{0x05, 0x05, 0x04, 0x01, 0x00, 0x00}));

    // While muted the level changes silently and is sent on unmute.
    radio.SetMute(true);
    ports.Clear();
    radio.StepVolume(true);
    EXPECT_TRUE(ports.events.empty());
    radio.SetMute(false);
    EXPECT_EQ(ports.Written(), (std::vector<int>{0x01}));

    // A station needs both low status bits clear.
    ports.reads[0x358] = {0x00, 0x01, 0x02, 0xFC};
    EXPECT_TRUE(radio.IsTuned());
    EXPECT_FALSE(radio.IsTuned());
    EXPECT_FALSE(radio.IsTuned());
    EXPECT_TRUE(radio.IsTuned());
}

// ---- GemTek ----

// Checks one tuning of the GemTek card and returns its word.
long CheckRadioCardTuning(const std::vector<Event>& events, bool muted) {
    std::vector<int> bytes;
    std::vector<int> sleeps;
    for (const Event& e : events) {
        (e.kind == Event::Write ? bytes : sleeps).push_back(e.value);
    }
    EXPECT_EQ(bytes.size(), 2u + 64u + 2u + 1u);
    EXPECT_EQ(sleeps, (std::vector<int>{1, 1, 1, 1, 1}));
    if (bytes.size() != 69u) {
        return -1;
    }
    EXPECT_EQ(Slice(bytes, 0, 2), (std::vector<int>{0x03, 0x07}));
    EXPECT_EQ(Slice(bytes, 66, 2), (std::vector<int>{0x03, 0x07}));
    EXPECT_EQ(bytes[68], muted ? 0x10 : 0x20);
    const auto bits = DecodeBits(Slice(bytes, 2, 64), {0x06, 0x07}, {0x04, 0x05});
    EXPECT_TRUE(bits.has_value());
    if (!bits) {
        return -1;
    }
    // After the word: eleven 0, 1, four 0, 1, 0.
    EXPECT_EQ(std::vector<int>(bits->begin() + 14, bits->end()),
              (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0}));
    return LsbFirst(*bits, 0, 14);
}

TEST_F(PortCardTest, RadioCardWakesItsSynthesizerWithThreeTuningsAndStaysMuted) {
    SRadioCard radio(0x34C, ports, clock);
    ASSERT_EQ(ports.events.size(), 3u * 74u);
    const std::vector<long> words = {
        CheckRadioCardTuning({ports.events.begin(), ports.events.begin() + 74}, true),
        CheckRadioCardTuning({ports.events.begin() + 74, ports.events.begin() + 148}, true),
        CheckRadioCardTuning({ports.events.begin() + 148, ports.events.end()}, true)};
    EXPECT_EQ(words, (std::vector<long>{7858, 7795, 7858}));
    EXPECT_TRUE(radio.IsMuted());
    EXPECT_FLOAT_EQ(radio.GetFrequency(), 89.9f);
}

TEST_F(PortCardTest, RadioCardReturnsWhatIsLeftOfTheWordAndReadsItsSignalTwice) {
    SRadioCard radio(0x24C, ports, clock);
    radio.SetMute(false);
    EXPECT_EQ(ports.events.back(), (Event{Event::Sleep, 0, 1}));
    ports.Clear();
    EXPECT_EQ(radio.SetFrequency(89.9f), 0);
    EXPECT_EQ(CheckRadioCardTuning(ports.events, false), 7858);
    ports.Clear();
    EXPECT_EQ(radio.SetFrequency(107.9f), 0);
    EXPECT_EQ(CheckRadioCardTuning(ports.events, false), 9266);
    EXPECT_FALSE(radio.StepVolume(true));

    // Of two status reads the second counts; bit 3 clear is a station.
    ports.Clear();
    ports.reads[0x24C] = {0x08, 0x00, 0x00, 0x08};
    EXPECT_TRUE(radio.IsTuned());
    EXPECT_FALSE(radio.IsTuned());
    EXPECT_EQ(ports.Timeline(), "R24C S1 R24C R24C S1 R24C");
}

// ---- Zoltrix (port part) ----

class RecordingTuning : public ZoltrixTuning {
  public:
    explicit RecordingTuning(std::vector<float>* tuned) : tuned_(tuned) {}
    qint32 Tune(float mhz) override {
        tuned_->push_back(mhz);
        return 1;
    }

  private:
    std::vector<float>* tuned_;
};

TEST_F(PortCardTest, ZoltrixMutesAndSetsVolumeThroughItsPorts) {
    SZoltrix108 radio(0x20C, nullptr, ports, clock);
    EXPECT_TRUE(radio.SetMute(false));
    EXPECT_TRUE(radio.SetMute(true));
    EXPECT_EQ(ports.Timeline(), "W08 R20E W00 R20F");
    ports.Clear();

    // Muted: the volume changes without a write.
    EXPECT_TRUE(radio.StepVolume(true));
    EXPECT_TRUE(ports.events.empty());
    radio.SetMute(false);
    ports.Clear();
    EXPECT_TRUE(radio.StepVolume(true));
    EXPECT_EQ(ports.Timeline(), "W0A S50 R20E");
    ports.Clear();

    while (radio.Volume() < 15) {
        ASSERT_TRUE(radio.StepVolume(true));
    }
    ports.Clear();
    EXPECT_FALSE(radio.StepVolume(true));
    EXPECT_EQ(radio.Volume(), 15);
    EXPECT_TRUE(ports.events.empty());

    while (radio.Volume() > 0) {
        ASSERT_TRUE(radio.StepVolume(false));
    }
    EXPECT_FALSE(radio.StepVolume(false));
    EXPECT_EQ(radio.Volume(), 0);

    ports.Clear();
    ports.reads[0x20C] = {0x00, 0x02};
    EXPECT_TRUE(radio.IsTuned());
    EXPECT_FALSE(radio.IsTuned());
}

TEST_F(PortCardTest, ZoltrixIsTunedByItsProgramNotThroughThePort) {
    SZoltrix108 untuned(0x30C, nullptr, ports, clock);
    EXPECT_EQ(untuned.SetFrequency(95.0f), 0);
    EXPECT_FLOAT_EQ(untuned.GetFrequency(), 95.0f);

    std::vector<float> tuned;
    SZoltrix108 radio(0x30C, std::make_unique<RecordingTuning>(&tuned), ports, clock);
    EXPECT_EQ(radio.SetFrequency(89.9f), 1);
    EXPECT_EQ(tuned, (std::vector<float>{89.9f}));
    EXPECT_TRUE(ports.Written().empty());
}

// ---- no port access ----

struct CardMaker {
    const char* name;
    std::function<std::unique_ptr<SRadioPort>(PortIo&, Clock&)> make;
};

TEST_F(PortCardTest, WithoutPortAccessEveryCardWarnsOnceAndStaysInert) {
    const std::vector<CardMaker> cards = {
        {"RadioTrack",
         [](PortIo& p, Clock& c) { return std::make_unique<SRadioTrack>(0x30C, p, c); }},
        {"RadioTrack2",
         [](PortIo& p, Clock& c) { return std::make_unique<SRadioTrack2>(0x30C, p, c); }},
        {"Aztech", [](PortIo& p, Clock& c) { return std::make_unique<SAztechRadio>(0x350, p, c); }},
        {"GemTek", [](PortIo& p, Clock& c) { return std::make_unique<SRadioCard>(0x34C, p, c); }},
        {"Zoltrix",
         [](PortIo& p, Clock& c) { return std::make_unique<SZoltrix108>(0x20C, nullptr, p, c); }},
    };
    for (const CardMaker& card : cards) {
        SCOPED_TRACE(card.name);
        RecordingPorts refused;
        refused.allowAccess = false;
        refused.defaultRead = 0x00;
        RecordingPorts::RecordingClock refusedClock(refused);
        MessageBoxRecorder recorder;

        std::unique_ptr<SRadioPort> radio = card.make(refused, refusedClock);
        ASSERT_EQ(recorder.calls().size(), 1u);
        EXPECT_EQ(recorder.calls()[0].text,
                  "This radio requires GIVEIO driver to be installed.\n"
                  "See <Getting Started> help topic.");
        EXPECT_EQ(recorder.calls()[0].caption, "Plumora");
        EXPECT_EQ(recorder.calls()[0].icon, MessageIcon::Warning);
        EXPECT_FALSE(radio->HasPortAccess());

        EXPECT_EQ(radio->SetFrequency(89.9f), 0);
        EXPECT_FLOAT_EQ(radio->GetFrequency(), 89.9f);
        EXPECT_FALSE(radio->SetMute(false));
        EXPECT_FALSE(radio->IsMuted());
        EXPECT_FALSE(radio->StepVolume(true));
        // A bus that reads 0 must not look like a received station.
        EXPECT_FALSE(radio->IsTuned());
        EXPECT_TRUE(refused.events.empty()) << refused.Timeline();
        EXPECT_EQ(recorder.calls().size(), 1u);
    }
}

}  // namespace
