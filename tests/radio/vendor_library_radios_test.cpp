#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "radio/vendor_library_radios.h"
#include "vendor_module_env.h"

namespace {

using CadetTest = VendorModuleTest;
using UsbRadioTest = VendorModuleTest;
using Voodoo3500Test = VendorModuleTest;

const QString kCadetMissing =
    "Cannot open radio vendor's CADETIO.DLL file in directory\n    %1\nNot present or already "
    "in use.";

TEST_F(CadetTest, LoadsAtConstructionAndTunesFmInKilohertz) {
    SCadet radio(clock);
    EXPECT_TRUE(radio.loaded());
    EXPECT_TRUE(radio.HasAmBand());
    EXPECT_TRUE(messages.calls().empty());
    EXPECT_EQ(TakeCalls(), Lines{"cadetio load"});

    EXPECT_EQ(radio.SetFrequency(89.9f), 89900);
    EXPECT_FLOAT_EQ(radio.GetFrequency(), 89.9f);
    EXPECT_EQ(TakeCalls(), (Lines{"cadetio FmBand", "cadetio SetTunerFrequency 89900"}));
    EXPECT_EQ(clock.sleeps, std::vector<int>{200});

    // Staying in the band switches nothing.
    EXPECT_EQ(radio.SetFrequency(101.1f), 101100);
    EXPECT_EQ(TakeCalls(), Lines{"cadetio SetTunerFrequency 101100"});
    EXPECT_EQ(clock.sleeps.size(), 1u);
}

TEST_F(CadetTest, SwitchesToAmBelowTwoMegahertzButNotAtIt) {
    SCadet radio(clock);
    TakeCalls();
    EXPECT_EQ(radio.SetFrequency(1.0f), 1000);
    EXPECT_EQ(TakeCalls(), (Lines{"cadetio AmBand", "cadetio SetTunerFrequency 1000"}));
    EXPECT_EQ(clock.sleeps, std::vector<int>{200});

    EXPECT_EQ(radio.SetFrequency(2.0f), 2000);
    EXPECT_EQ(TakeCalls(), Lines{"cadetio SetTunerFrequency 2000"});
    EXPECT_EQ(radio.SetFrequency(0.54f), 540);
    EXPECT_EQ(TakeCalls(), Lines{"cadetio SetTunerFrequency 540"});

    EXPECT_EQ(radio.SetFrequency(87.5f), 87500);
    EXPECT_EQ(TakeCalls(), (Lines{"cadetio FmBand", "cadetio SetTunerFrequency 87500"}));
}

TEST_F(CadetTest, AFirstFrequencyOfExactlyTwoMegahertzSwitchesNoBand) {
    SCadet radio(clock);
    TakeCalls();
    radio.SetFrequency(2.0f);
    EXPECT_EQ(TakeCalls(), Lines{"cadetio SetTunerFrequency 2000"});
    EXPECT_TRUE(clock.sleeps.empty());
}

TEST_F(CadetTest, RetriesTuningOnceAfterAPauseWhenTheLibraryRefuses) {
    SetResults("SetTunerFrequency=1,1,1,0");
    SCadet radio(clock);
    TakeCalls();
    // Refused twice: one retry only.
    radio.SetFrequency(2.0f);  // no band switch, so only the retry sleeps
    const Lines twice{"cadetio SetTunerFrequency 2000", "cadetio SetTunerFrequency 2000"};
    EXPECT_EQ(TakeCalls(), twice);
    EXPECT_EQ(clock.sleeps, std::vector<int>{100});
    // Refused, then accepted.
    radio.SetFrequency(2.0f);
    EXPECT_EQ(TakeCalls(), twice);
    // Accepted at once: no retry.
    clock.sleeps.clear();
    radio.SetFrequency(2.0f);
    EXPECT_EQ(TakeCalls(), Lines{"cadetio SetTunerFrequency 2000"});
    EXPECT_TRUE(clock.sleeps.empty());
}

TEST_F(CadetTest, TunedSignalAsksAgainWhenTheCardIsNotReady) {
    SetResults("IsTuned=-1,1,0,-1,-1");
    SCadet radio(clock);
    TakeCalls();
    EXPECT_TRUE(radio.IsTuned());  // -1, then 1
    EXPECT_EQ(TakeCalls(), (Lines{"cadetio IsTuned", "cadetio IsTuned"}));
    EXPECT_EQ(clock.sleeps, (std::vector<int>{100, 200}));

    clock.sleeps.clear();
    EXPECT_FALSE(radio.IsTuned());  // 0
    EXPECT_EQ(TakeCalls(), Lines{"cadetio IsTuned"});
    EXPECT_EQ(clock.sleeps, std::vector<int>{100});

    EXPECT_FALSE(radio.IsTuned());  // -1, -1
    EXPECT_EQ(TakeCalls().size(), 2u);
}

TEST_F(CadetTest, UnmuteSwitchesStereoOnAndMuteOnlyMutes) {
    SCadet radio(clock);
    TakeCalls();
    EXPECT_TRUE(radio.IsMuted());
    EXPECT_FALSE(radio.SetMute(false));
    EXPECT_FALSE(radio.IsMuted());
    EXPECT_EQ(TakeCalls(), (Lines{"cadetio UnMute", "cadetio SetStereo"}));
    EXPECT_FALSE(radio.SetMute(true));
    EXPECT_TRUE(radio.IsMuted());
    EXPECT_EQ(TakeCalls(), Lines{"cadetio Mute"});
}

TEST_F(CadetTest, ReleasesTheLibraryWhenDestroyed) {
    {
        SCadet radio(clock);
        TakeCalls();
    }
    EXPECT_EQ(TakeCalls(), Lines{"cadetio unload"});
}

TEST_F(CadetTest, NamesEveryMissingFunctionThenStaysInert) {
    UseModules("partial");
    SCadet radio(clock);
    EXPECT_FALSE(radio.loaded());
    EXPECT_EQ(Texts(), (Lines{"Cannot get cadetio.dll IsTuned function address",
                              "Cannot get cadetio.dll SetStereo function address",
                              "Cannot get one or more cadetio.dll function address"}));
    for (const auto& call : messages.calls()) {
        EXPECT_EQ(call.caption, "Plumora");
        EXPECT_EQ(call.icon, MessageIcon::None);
    }
    EXPECT_EQ(TakeCalls(), (Lines{"cadetio load", "cadetio unload"}));

    // Inert: remembers, calls nothing, waits for nothing.
    EXPECT_EQ(radio.SetFrequency(89.9f), 0);
    EXPECT_FLOAT_EQ(radio.GetFrequency(), 89.9f);
    radio.SetMute(false);
    EXPECT_FALSE(radio.IsMuted());
    EXPECT_FALSE(radio.IsTuned());
    EXPECT_TRUE(TakeCalls().empty());
    EXPECT_TRUE(clock.sleeps.empty());
}

TEST_F(CadetTest, AMissingLibraryIsReportedWithTheFoldersLookedIn) {
    UseFolder(EmptyFolder());
    SCadet radio(clock);
    EXPECT_FALSE(radio.loaded());
    ASSERT_EQ(messages.calls().size(), 1u);
    EXPECT_EQ(messages.calls()[0].text, kCadetMissing.arg(EmptyFolder()));
    EXPECT_EQ(messages.calls()[0].caption, "Radio initialization");
    EXPECT_EQ(radio.SetFrequency(100.0f), 0);
}

TEST_F(UsbRadioTest, LoadsOnlyWhileUnmutedAndRestoresTheStation) {
    SUsbRadio radio;
    EXPECT_FALSE(radio.HasAmBand());
    // Muted: nothing is loaded, the frequency is only remembered.
    EXPECT_EQ(radio.SetFrequency(89.9f), 0);
    EXPECT_FLOAT_EQ(radio.GetFrequency(), 89.9f);
    EXPECT_FALSE(radio.loaded());
    EXPECT_TRUE(TakeCalls().empty());

    radio.SetMute(false);
    EXPECT_TRUE(radio.loaded());
    EXPECT_EQ(TakeCalls(), (Lines{"radio load", "radio set_freq 1798 0", "radio turn_power 1"}));

    EXPECT_EQ(radio.SetFrequency(100.0f), 2000);
    EXPECT_EQ(radio.SetFrequency(87.55f), 1751);
    EXPECT_EQ(TakeCalls(), (Lines{"radio set_freq 2000 0", "radio set_freq 1751 0"}));

    radio.SetMute(true);
    EXPECT_FALSE(radio.loaded());
    EXPECT_EQ(TakeCalls(), (Lines{"radio turn_power 0", "radio get_stereo", "radio turn_power 0",
                                  "radio unload"}));
    EXPECT_EQ(radio.SetFrequency(90.0f), 0);
    EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(UsbRadioTest, NoStationToRestoreBeforeTheFirstTuning) {
    SUsbRadio radio;
    radio.SetMute(false);
    EXPECT_EQ(TakeCalls(), (Lines{"radio load", "radio turn_power 1"}));
}

TEST_F(UsbRadioTest, StereoIndicatorIsTheTunedSignal) {
    SetResults("get_stereo=1,0");
    SUsbRadio radio;
    EXPECT_FALSE(radio.IsTuned());  // not loaded: the library is not asked
    radio.SetMute(false);
    TakeCalls();
    EXPECT_TRUE(radio.IsTuned());
    EXPECT_FALSE(radio.IsTuned());
    EXPECT_EQ(TakeCalls(), (Lines{"radio get_stereo", "radio get_stereo"}));
}

TEST_F(UsbRadioTest, DestructionSwitchesTheRadioOff) {
    {
        SUsbRadio radio;
        radio.SetMute(false);
        TakeCalls();
    }
    EXPECT_EQ(TakeCalls(), (Lines{"radio turn_power 0", "radio get_stereo", "radio turn_power 0",
                                  "radio unload"}));
}

TEST_F(UsbRadioTest, MissingLibraryAndMissingTuningFunctionAreReported) {
    UseFolder(EmptyFolder());
    {
        SUsbRadio radio;
        radio.SetMute(false);
        EXPECT_FALSE(radio.loaded());
        ASSERT_EQ(messages.calls().size(), 1u);
        EXPECT_EQ(messages.calls()[0].text,
                  "Cannot open radio manufacturer's radio.dll in Windows directory.\n"
                  "Not present or already in use.");
        EXPECT_EQ(messages.calls()[0].caption, "Radio initialization");
    }

    UseModules("partial");
    SUsbRadio radio;
    radio.SetFrequency(89.9f);
    radio.SetMute(false);
    EXPECT_EQ(TakeCalls(), (Lines{"radio load", "radio turn_power 1"}));
    ASSERT_EQ(messages.calls().size(), 2u);
    EXPECT_EQ(messages.calls()[1].text, "Cannot get set_freq function address");
    EXPECT_EQ(messages.calls()[1].caption, "radio");
    EXPECT_EQ(radio.SetFrequency(100.0f), 2000);
    EXPECT_EQ(messages.calls().size(), 3u);
}

TEST_F(Voodoo3500Test, OpeningRunsEveryTunerModeThenSwitchesTheAudioOn) {
    SVoodoo3500 radio;
    EXPECT_EQ(radio.SetFrequency(89.9f), 0);  // muted: nothing loaded
    EXPECT_TRUE(TakeCalls().empty());

    EXPECT_TRUE(radio.SetMute(false));
    EXPECT_TRUE(radio.open());
    const Lines calls = TakeCalls();
    ASSERT_EQ(calls.size(), 3u + SVoodoo3500::kTunerModeCount + 2u);
    EXPECT_EQ(Lines(calls.begin(), calls.begin() + 3),
              (Lines{"vcapdev load", "vpxtuner load", "vcapdev InitAudio"}));
    for (int mode = 0; mode < SVoodoo3500::kTunerModeCount; ++mode) {
        ASSERT_EQ(calls[3 + mode], "vcapdev SetTunerMode " + std::to_string(mode));
    }
    EXPECT_EQ(Lines(calls.end() - 2, calls.end()),
              (Lines{"vcapdev MuteAudio 0", "vpxtuner SetRadioFreq 899"}));

    EXPECT_EQ(radio.SetFrequency(101.35f), 1013);
    EXPECT_EQ(TakeCalls(), Lines{"vpxtuner SetRadioFreq 1013"});
    // Unmuting an open card changes nothing.
    EXPECT_TRUE(radio.SetMute(false));
    EXPECT_TRUE(TakeCalls().empty());

    EXPECT_TRUE(radio.SetMute(true));
    EXPECT_FALSE(radio.open());
    EXPECT_EQ(TakeCalls(), (Lines{"vcapdev SetTunerMode 1", "vcapdev MuteAudio 1", "vcapdev unload",
                                  "vpxtuner unload"}));
    EXPECT_TRUE(messages.calls().empty());
}

TEST_F(Voodoo3500Test, DestructionClosesAnOpenCard) {
    {
        SVoodoo3500 radio;
        radio.SetMute(false);
        TakeCalls();
    }
    EXPECT_EQ(TakeCalls(), (Lines{"vcapdev SetTunerMode 1", "vcapdev MuteAudio 1", "vcapdev unload",
                                  "vpxtuner unload"}));
}

TEST_F(Voodoo3500Test, ACardWithoutEitherLibraryIsNotOpened) {
    const std::string message =
        "Cannot open radio manufacturer's dll in Windows system directory.\n"
        "Not present or already in use.";
    UseFolder(EmptyFolder());
    SVoodoo3500 radio;
    EXPECT_FALSE(radio.SetMute(false));
    EXPECT_FALSE(radio.open());
    ASSERT_EQ(Texts(), Lines{message});
    EXPECT_EQ(messages.calls()[0].caption, "Radio initialization");

    // The capture library alone is not enough: it is released again.
    const QString onlyCapture = temp_.filePath("capture-only");
    ASSERT_TRUE(QDir().mkpath(onlyCapture));
    ASSERT_TRUE(QFile::copy(ModulesDir("complete") + "/vcapdev.dll", onlyCapture + "/vcapdev.dll"));
    UseFolder(onlyCapture);
    EXPECT_FALSE(radio.SetMute(false));
    EXPECT_FALSE(radio.open());
    EXPECT_EQ(TakeCalls(), (Lines{"vcapdev load", "vcapdev unload"}));
    EXPECT_EQ(Texts(), (Lines{message, message}));
}

TEST_F(Voodoo3500Test, MissingFunctionsAreNamedAndTheirCallsSkipped) {
    UseModules("partial");
    SVoodoo3500 radio;
    EXPECT_TRUE(radio.SetMute(false));
    const Lines calls = TakeCalls();
    ASSERT_EQ(calls.size(), 3u + SVoodoo3500::kTunerModeCount);
    EXPECT_EQ(calls.back(), "vcapdev SetTunerMode 63999");
    EXPECT_EQ(radio.SetFrequency(89.9f), 899);
    radio.SetMute(true);
    EXPECT_EQ(Texts(), (Lines{"Cannot get muteaudio function address",
                              "Cannot get setfreqency function address",
                              "Cannot get setfreqency function address",
                              "Cannot get muteaudio function address"}));
    for (const auto& call : messages.calls()) {
        EXPECT_EQ(call.caption, "radio");
    }
}

}  // namespace
