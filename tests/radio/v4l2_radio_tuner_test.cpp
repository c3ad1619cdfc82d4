#include <gtest/gtest.h>

#include "fake_v4l2.h"
#include "radio/radio_models.h"
#include "radio/tv_tuner_radio.h"

namespace {

std::vector<std::string> Names(const QStringList& names) {
    std::vector<std::string> result;
    for (const QString& name : names) {
        result.push_back(name.toStdString());
    }
    return result;
}

TEST(V4l2RadioTunerTest, ListsTheDevicesWithARadioTunerInNodeOrder) {
    FakeV4l2Layer layer;
    layer.Add(FakeTunerCard::Radio("/dev/radio0", "Studio PCTV USB FM", "usb-0000:00:14.0-2"));
    // A TV card: its video node has an analog TV tuner first and the radio
    // tuner second; an older driver reports no device caps.
    auto tv = layer.Add(FakeTunerCard::Radio("/dev/video0", "Hauppauge WinTV", "PCI:0000:03:00.0"));
    tv->caps = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_TUNER;
    tv->reportsDeviceCaps = false;
    tv->tuners = {{V4L2_TUNER_ANALOG_TV, 0}, {V4L2_TUNER_RADIO, V4L2_TUNER_CAP_LOW}};
    // Not radios: a TV-only tuner, a camera, a node that cannot be opened.
    auto tvOnly = layer.Add(FakeTunerCard::Radio("/dev/video1", "Analog TV only"));
    tvOnly->tuners = {{V4L2_TUNER_ANALOG_TV, 0}};
    auto camera = layer.Add(FakeTunerCard::Radio("/dev/video2", "Webcam"));
    camera->caps = V4L2_CAP_VIDEO_CAPTURE;
    layer.Add(FakeTunerCard::Radio("/dev/video3", "Unplugged"))->vanished = true;
    // The first card again through another node.
    auto again =
        layer.Add(FakeTunerCard::Radio("/dev/video4", "Studio PCTV USB FM", "usb-0000:00:14.0-2"));
    again->caps = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_TUNER;

    const auto tuners = EnumerateRadioTuners(layer);
    ASSERT_EQ(tuners.size(), 2u);
    EXPECT_EQ(tuners[0].node, "/dev/radio0");
    EXPECT_EQ(tuners[0].tuner, 0u);
    EXPECT_EQ(tuners[1].node, "/dev/video0");
    EXPECT_EQ(tuners[1].cardName, "Hauppauge WinTV");
    EXPECT_EQ(tuners[1].tuner, 1u);

    // Port list E of the Radio page: the names, each with port value 0.
    const QStringList names = TunerCaptureDeviceNames(layer);
    EXPECT_EQ(Names(names), (std::vector<std::string>{"Studio PCTV USB FM", "Hauppauge WinTV"}));
    const auto choices = PortChoicesFor(PortList::E, names);
    ASSERT_EQ(choices.size(), 2u);
    EXPECT_EQ(choices[1], (PortChoice{"Hauppauge WinTV", 0}));

    // Everything opened for the listing is closed again.
    for (const auto& card : layer.cards) {
        EXPECT_EQ(card->openDevices, 0) << card->node.toStdString();
    }
}

TEST(V4l2RadioTunerTest, SameCardNameOnDifferentBusesIsListedTwice) {
    FakeV4l2Layer layer;
    layer.Add(FakeTunerCard::Radio("/dev/radio0", "FM Radio", "usb-1"));
    layer.Add(FakeTunerCard::Radio("/dev/radio1", "FM Radio", "usb-2"));
    layer.Add(FakeTunerCard::Radio("/dev/radio2", "FM Radio"));
    layer.Add(FakeTunerCard::Radio("/dev/radio3", "FM Radio"));
    EXPECT_EQ(EnumerateRadioTuners(layer).size(), 4u);
}

TEST(V4l2RadioTunerTest, FrequenciesGoInTheTunersOwnUnits) {
    struct Case {
        quint32 capability;
        double hertzPerUnit;
        quint32 units;  // for 89.9 MHz
    };
    for (const Case& c : {Case{V4L2_TUNER_CAP_LOW, 62.5, 1438400},
                          Case{0, 62500.0, 1438},  // 89.875 MHz, the nearest step
                          Case{V4L2_TUNER_CAP_1HZ | V4L2_TUNER_CAP_LOW, 1.0, 89900000}}) {
        FakeV4l2Layer layer;
        auto card = layer.Add(FakeTunerCard::Radio("/dev/radio0", "Radio"));
        card->tuners = {{V4L2_TUNER_RADIO, c.capability}};
        auto tuner = V4l2RadioTuner::Open(layer, "/dev/radio0");
        ASSERT_NE(tuner, nullptr);
        EXPECT_EQ(tuner->hertzPerUnit(), c.hertzPerUnit);
        EXPECT_TRUE(tuner->SetFrequencyHz(89900000));
        ASSERT_EQ(card->frequencies.size(), 1u);
        EXPECT_EQ(card->frequencies[0], c.units);
        EXPECT_EQ(tuner->FrequencyHz(), std::llround(c.units * c.hertzPerUnit));
        EXPECT_FALSE(tuner->SetFrequencyHz(-1));
    }
}

TEST(V4l2RadioTunerTest, TuningSendsWholeHundredsOfKilohertz) {
    EXPECT_EQ(STvDM::TuningHertz(89.9f), 89900000);
    EXPECT_EQ(STvDM::TuningHertz(100.05f), 100000000);
    // 101.1 is 101.0999985 in single precision: still 101.1 MHz.
    EXPECT_EQ(STvDM::TuningHertz(101.1f), 101100000);
    EXPECT_EQ(STvDM::TuningHertz(107.95f), 107900000);
    EXPECT_EQ(STvDM::TuningHertz(87.5f), 87500000);
    EXPECT_EQ(STvDM::TuningHertz(0.0f), 0);
    EXPECT_EQ(STvDM::TuningHertz(-3.0f), 0);
}

TEST(V4l2RadioTunerTest, SignalAndMuteControl) {
    FakeV4l2Layer layer;
    auto card = layer.Add(FakeTunerCard::Radio("/dev/radio0", "Radio"));
    card->signal = 0xFFFF;
    auto tuner = V4l2RadioTuner::Open(layer, "/dev/radio0");
    ASSERT_NE(tuner, nullptr);
    EXPECT_EQ(tuner->Signal(), 0xFFFF);
    EXPECT_TRUE(tuner->HasMute());
    EXPECT_TRUE(tuner->SetMute(true));
    EXPECT_TRUE(tuner->SetMute(false));
    EXPECT_EQ(card->muteSets, (std::vector<int>{1, 0}));

    card->muteFlags = V4L2_CTRL_FLAG_DISABLED;
    EXPECT_FALSE(tuner->HasMute());
    card->muteFlags = V4L2_CTRL_FLAG_READ_ONLY;
    EXPECT_FALSE(tuner->HasMute());
    card->hasMute = false;
    EXPECT_FALSE(tuner->HasMute());
    EXPECT_FALSE(tuner->SetMute(true));

    card->vanished = true;
    EXPECT_EQ(tuner->Signal(), std::nullopt);
    EXPECT_FALSE(tuner->SetFrequencyHz(89900000));
    EXPECT_EQ(tuner->FrequencyHz(), std::nullopt);
    EXPECT_EQ(V4l2RadioTuner::Open(layer, "/dev/radio0"), nullptr);
}

}  // namespace
