#include "platform/mixer_backend.h"

#include <gtest/gtest.h>

#include "support/alsa_test_devices.h"

namespace {

TEST(AlsaMixer, ControlDeviceOfAWaveDeviceName) {
    EXPECT_EQ(MixerControlName("plughw:CARD=PCH,DEV=0"), "hw:CARD=PCH");
    EXPECT_EQ(MixerControlName("sysdefault:CARD=Intel"), "hw:CARD=Intel");
    EXPECT_EQ(MixerControlName("hw:1,0"), "hw:1");
    EXPECT_EQ(MixerControlName("plughw:12"), "hw:12");
    EXPECT_EQ(MixerControlName("default"), "default");
    EXPECT_EQ(MixerControlName("pulse"), "default");
    EXPECT_EQ(MixerControlName("hw:CARD=,DEV=0"), "default");
}

TEST(AlsaMixer, ElementNamesGiveSourceKinds) {
    EXPECT_EQ(ClassifyMixerElement("Line Boost"), MixerLineType::kLineIn);
    EXPECT_EQ(ClassifyMixerElement("Front Mic"), MixerLineType::kMicrophone);
    EXPECT_EQ(ClassifyMixerElement("Aux"), MixerLineType::kAuxiliary);
    EXPECT_EQ(ClassifyMixerElement("Stereo Mix"), MixerLineType::kPlaybackMix);
    EXPECT_EQ(ClassifyMixerElement("PCM"), MixerLineType::kPlaybackMix);
    EXPECT_EQ(ClassifyMixerElement("Mixer"), MixerLineType::kOther);

    EXPECT_TRUE(IsOutputMixerElement("headphone"));
    EXPECT_TRUE(IsOutputMixerElement("IEC958 Default PCM"));
    EXPECT_FALSE(IsOutputMixerElement("Front Mic")) << "a source, though it starts like an output";
    EXPECT_FALSE(IsOutputMixerElement("PCM"));
}

TEST(AlsaMixer, NoMixerWithoutASoundCard) {
    AlsaTestDevices devices;  // file-backed devices only, no card
    EXPECT_EQ(OpenAlsaMixer("default"), nullptr);
    EXPECT_EQ(OpenAlsaMixer("hw:CARD=Nothing,DEV=0"), nullptr);
}

}  // namespace
