#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "fake_v4l2.h"
#include "radio/tv_tuner_radio.h"
#include "support/alsa_test_devices.h"
#include "support/fake_clock.h"
#include "support/message_box_recorder.h"

namespace {

constexpr quint32 Units(qint64 hertz) {
    return static_cast<quint32>(hertz * 2 / 125);  // 62.5 Hz units
}

class TvTunerRadioTest : public ::testing::Test {
  protected:
    std::unique_ptr<STvDM> Make(const QString& deviceName, const QString& output = "<default>") {
        return std::make_unique<STvDM>(deviceName, false, true, output, layer, clock);
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& call : messages.calls()) {
            texts.push_back(call.text.toStdString());
        }
        return texts;
    }

    FakeV4l2Layer layer;
    FakeClock clock;
    MessageBoxRecorder messages;
};

TEST_F(TvTunerRadioTest, FirstUnmuteOpensTunesTheStartFrequencyThenTheStation) {
    auto other = layer.Add(FakeTunerCard::Radio("/dev/radio0", "Hauppauge WinTV"));
    auto card = layer.Add(FakeTunerCard::Radio("/dev/radio1", "Studio PCTV USB"));
    auto radio = Make("studio pctv");  // the prefix is matched without regard to case
    EXPECT_FALSE(radio->open());
    EXPECT_EQ(radio->SetFrequency(95.0f), 0);  // muted: nothing is open
    EXPECT_EQ(card->openDevices, 0);

    EXPECT_FALSE(radio->SetMute(false));
    EXPECT_FALSE(radio->IsMuted());
    EXPECT_TRUE(radio->open());
    EXPECT_TRUE(radio->directMode());
    EXPECT_EQ(card->openDevices, 1);
    EXPECT_EQ(card->frequencies, (std::vector<quint32>{Units(89900000), Units(95000000)}));
    EXPECT_EQ(card->muteSets, std::vector<int>{0});
    EXPECT_TRUE(other->frequencies.empty());
    EXPECT_FALSE(radio->audioRunning());  // the card has no sound device of its own
    EXPECT_TRUE(messages.calls().empty());

    EXPECT_EQ(radio->SetFrequency(100.05f), 1);
    EXPECT_EQ(card->frequencies.back(), Units(100000000));

    EXPECT_FALSE(radio->SetMute(true));
    EXPECT_FALSE(radio->open());
    EXPECT_EQ(card->openDevices, 0);
    EXPECT_EQ(card->muteSets, (std::vector<int>{0, 1}));
    EXPECT_EQ(clock.sleeps, std::vector<int>{STvDM::kCloseWaitMs});
    EXPECT_EQ(radio->SetFrequency(90.0f), 0);
}

TEST_F(TvTunerRadioTest, NoStationToTuneBeforeTheFirstFrequency) {
    auto card = layer.Add(FakeTunerCard::Radio("/dev/radio0", "FM Radio"));
    auto radio = Make("FM");
    radio->SetMute(false);
    EXPECT_EQ(card->frequencies, std::vector<quint32>{Units(89900000)});
}

TEST_F(TvTunerRadioTest, AnEmptyNameTakesTheFirstTunerAndKeepsItsName) {
    auto first = layer.Add(FakeTunerCard::Radio("/dev/radio0", "USB FM Radio"));
    auto radio = Make("");
    radio->SetMute(false);
    EXPECT_EQ(radio->DeviceName(), "USB FM Radio");
    EXPECT_EQ(first->openDevices, 1);
    radio->SetMute(true);

    // Another tuner now comes first; the kept name still finds the same one.
    layer.cards.insert(layer.cards.begin(), FakeTunerCard::Radio("/dev/radio1", "TV Card"));
    radio->SetMute(false);
    EXPECT_EQ(first->openDevices, 1);
    EXPECT_EQ(layer.cards[0]->openDevices, 0);
}

TEST_F(TvTunerRadioTest, NoMatchingDeviceIsReportedOnceAndLeavesTheRadioInert) {
    layer.Add(FakeTunerCard::Radio("/dev/radio0", "Hauppauge WinTV"));
    auto radio = Make("WinTV");  // a prefix, not any part of the name
    radio->SetMute(false);
    EXPECT_FALSE(radio->open());
    EXPECT_EQ(Texts(), std::vector<std::string>{"Cannot create capture filter"});
    EXPECT_EQ(messages.calls()[0].caption, "Plumora tuner find");
    EXPECT_EQ(radio->SetFrequency(89.9f), 0);
    EXPECT_FLOAT_EQ(radio->GetFrequency(), 89.9f);
    EXPECT_FALSE(radio->IsTuned());
    radio->SetMute(true);
    EXPECT_TRUE(clock.sleeps.empty());  // nothing was open, nothing to close
}

TEST_F(TvTunerRadioTest, TunedWhenTheTunerReportsASignal) {
    auto card = layer.Add(FakeTunerCard::Radio("/dev/radio0", "FM Radio"));
    auto radio = Make("FM Radio");
    card->signal = 30000;
    EXPECT_FALSE(radio->IsTuned());  // not open
    radio->SetMute(false);
    EXPECT_TRUE(radio->IsTuned());
    card->signal = 0;
    EXPECT_FALSE(radio->IsTuned());
}

TEST_F(TvTunerRadioTest, CardsWithoutAMuteControlAreOnlyClosed) {
    auto card = layer.Add(FakeTunerCard::Radio("/dev/radio0", "FM Radio"));
    card->hasMute = false;
    auto radio = Make("FM Radio");
    radio->SetMute(false);
    EXPECT_TRUE(radio->directMode());
    radio->SetMute(true);
    EXPECT_TRUE(card->muteSets.empty());
    EXPECT_EQ(card->openDevices, 0);
}

TEST_F(TvTunerRadioTest, ATunerThatRefusesFrequenciesHasNoControls) {
    auto card = layer.Add(FakeTunerCard::Radio("/dev/radio0", "FM Radio"));
    card->rejectsFrequency = true;
    auto radio = Make("FM Radio");
    radio->SetFrequency(95.0f);
    radio->SetMute(false);
    EXPECT_FALSE(radio->directMode());
    EXPECT_EQ(Texts(), std::vector<std::string>{"Cannot find necessary controls for this radio."});
    EXPECT_EQ(messages.calls()[0].caption, "Plumora");
    EXPECT_EQ(radio->SetFrequency(95.0f), 0);

    // Unmuting again does not retry; muting first does.
    card->rejectsFrequency = false;
    radio->SetMute(false);
    EXPECT_FALSE(radio->directMode());
    radio->SetMute(true);
    radio->SetMute(false);
    EXPECT_TRUE(radio->directMode());
    EXPECT_EQ(card->frequencies, (std::vector<quint32>{Units(89900000), Units(95000000)}));
}

TEST_F(TvTunerRadioTest, AVanishedDeviceFailsQuietlyUntilItIsLookedForAgain) {
    auto card = layer.Add(FakeTunerCard::Radio("/dev/radio0", "USB FM"));
    card->signal = 100;
    auto radio = Make("USB FM");
    radio->SetMute(false);
    ASSERT_TRUE(radio->directMode());

    card->vanished = true;  // unplugged
    EXPECT_EQ(radio->SetFrequency(101.5f), 0);
    EXPECT_FLOAT_EQ(radio->GetFrequency(), 101.5f);
    EXPECT_FALSE(radio->IsTuned());
    EXPECT_TRUE(messages.calls().empty());

    radio->SetMute(true);
    EXPECT_FALSE(radio->open());
    EXPECT_EQ(card->openDevices, 0);
    radio->SetMute(false);
    EXPECT_EQ(Texts(), std::vector<std::string>{"Cannot create capture filter"});

    // Plugged in again.
    card->vanished = false;
    radio->SetMute(true);
    radio->SetMute(false);
    EXPECT_TRUE(radio->directMode());
    EXPECT_EQ(card->frequencies.back(), Units(101500000));
}

TEST_F(TvTunerRadioTest, TheDefaultOutputStandsForAlsasDefaultDevice) {
    for (const char* output : {"", "<default>", "-1"}) {
        EXPECT_EQ(Make("", output)->PlaybackDevice(), "default") << output;
    }
    EXPECT_EQ(Make("", "hw:1,0")->PlaybackDevice(), "hw:1,0");
}

// Waits, up to a few seconds of real time, until the file has data.
bool WaitForOutput(const std::function<QByteArray()>& output, qsizetype bytes) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (output().size() < bytes) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

TEST_F(TvTunerRadioTest, TheCardsSoundPlaysThroughTheConfiguredOutputWhileUnmuted) {
    AlsaTestDevices devices;
    QByteArray sound(9600, '\0');
    for (int i = 0; i < sound.size(); ++i) {
        sound[i] = static_cast<char>(i * 7);
    }
    devices.SetCaptureInput(sound);
    devices.SetDefaultInput(sound);
    auto card = layer.Add(FakeTunerCard::Radio("/dev/radio0", "USB FM"));
    card->alsaCapture = AlsaTestDevices::kCapture;

    {
        auto radio = Make("USB FM", AlsaTestDevices::kPlayback);
        radio->SetMute(false);
        EXPECT_TRUE(radio->audioRunning());
        ASSERT_TRUE(WaitForOutput([&] { return devices.PlaybackOutput(); }, sound.size()));
        radio->SetMute(true);
        EXPECT_FALSE(radio->audioRunning());
        // The devices close on the copy's own thread.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const qsizetype played = devices.PlaybackOutput().size();
        EXPECT_EQ(devices.PlaybackOutput().left(sound.size()), sound);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(devices.PlaybackOutput().size(), played);
    }
    {
        auto radio = Make("USB FM", "<default>");
        radio->SetMute(false);
        ASSERT_TRUE(WaitForOutput([&] { return devices.DefaultOutput(); }, sound.size()));
        EXPECT_EQ(devices.DefaultOutput().left(sound.size()), sound);
    }
    // An output that cannot be opened costs the sound, not the tuning.
    auto radio = Make("USB FM", "no_such_device");
    radio->SetMute(false);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (radio->audioRunning() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_FALSE(radio->audioRunning());
    EXPECT_TRUE(radio->directMode());
    EXPECT_TRUE(messages.calls().empty());
}

}  // namespace
