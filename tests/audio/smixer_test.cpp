#include "audio/smixer.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// A mixer with the lines and selector a test gives it.
class FakeMixer : public MixerBackend {
  public:
    struct Line {
        MixerLine line;
        std::optional<MixerVolume> volume;
        std::optional<bool> mute;
    };

    int id = 2;
    std::string recordingName = "Capture";
    std::vector<Line> playback;
    std::vector<Line> recording;
    std::optional<std::vector<MixerSelectorItem>> selector;

    int Id() const override { return id; }
    std::string DestinationName(MixerDestination destination) const override {
        return destination == MixerDestination::kRecording ? recordingName : "Master";
    }
    int SourceCount(MixerDestination destination) const override {
        return static_cast<int>(Lines(destination).size());
    }
    std::optional<MixerLine> Source(MixerDestination destination, int index) const override {
        const Line* line = At(destination, index);
        return line ? std::optional<MixerLine>(line->line) : std::nullopt;
    }
    std::optional<MixerVolume> GetVolume(MixerDestination destination, int index) const override {
        const Line* line = At(destination, index);
        return line ? line->volume : std::nullopt;
    }
    bool SetVolume(MixerDestination destination, int index, long value) override {
        Line* line = At(destination, index);
        if (!line || !line->volume) {
            return false;
        }
        line->volume->value = value;
        return true;
    }
    std::optional<bool> GetMute(MixerDestination destination, int index) const override {
        const Line* line = At(destination, index);
        return line ? line->mute : std::nullopt;
    }
    bool SetMute(MixerDestination destination, int index, bool mute) override {
        Line* line = At(destination, index);
        if (!line || !line->mute) {
            return false;
        }
        line->mute = mute;
        return true;
    }
    std::optional<std::vector<MixerSelectorItem>> GetSelector() const override { return selector; }
    bool SetSelector(const std::vector<bool>& selected) override {
        if (!selector || selected.size() != selector->size()) {
            return false;
        }
        for (size_t i = 0; i < selected.size(); ++i) {
            (*selector)[i].selected = selected[i];
        }
        return true;
    }

    std::vector<Line>& Lines(MixerDestination destination) {
        return destination == MixerDestination::kPlayback ? playback : recording;
    }
    const std::vector<Line>& Lines(MixerDestination destination) const {
        return destination == MixerDestination::kPlayback ? playback : recording;
    }

  private:
    Line* At(MixerDestination destination, int index) const {
        auto& lines = const_cast<FakeMixer*>(this)->Lines(destination);
        return index >= 0 && index < static_cast<int>(lines.size()) ? &lines[index] : nullptr;
    }
};

FakeMixer::Line MakeLine(const char* shortName, const char* fullName, MixerLineType type,
                         long min = 0, long max = 65535, long value = 0) {
    return {{shortName, fullName, type}, MixerVolume{min, max, value}, false};
}

// A card with the usual playback sources and a capture selector.
std::unique_ptr<FakeMixer> TypicalCard() {
    auto mixer = std::make_unique<FakeMixer>();
    mixer->playback = {MakeLine("PCM", "PCM", MixerLineType::kPlaybackMix),
                       MakeLine("Line", "Line Playback", MixerLineType::kLineIn),
                       MakeLine("Mic", "Front Mic", MixerLineType::kMicrophone, 10, 41, 10),
                       MakeLine("Aux", "Aux", MixerLineType::kAuxiliary)};
    mixer->recording = {MakeLine("Mic", "Mic", MixerLineType::kMicrophone),
                        MakeLine("Line", "Line Capture", MixerLineType::kLineIn, 0, 31, 0)};
    mixer->selector =
        std::vector<MixerSelectorItem>{{"Mic", true, MixerLineType::kMicrophone},
                                       {"Line In", false, MixerLineType::kLineIn},
                                       {"CD", false, MixerLineType::kCompactDisc},
                                       {"Stereo Mix", false, MixerLineType::kPlaybackMix}};
    return mixer;
}

std::vector<WaveDeviceCaps> Devices(WaveDirection direction) {
    if (direction == WaveDirection::kInput) {
        return {{"hw:CARD=Radio,DEV=0", "Radio in"}};
    }
    return {{"plughw:CARD=PCH,DEV=0", "PCH"}, {"hw:CARD=USB,DEV=0", "USB"}};
}

// An SMixer on a fake card; remembers which wave device it was opened for.
struct Opened {
    std::optional<std::string> device;
    FakeMixer* fake = nullptr;
    std::unique_ptr<SMixer> mixer;
};

Opened Open(std::unique_ptr<FakeMixer> card, const std::string& deviceName = "-1",
            SMixer::Kind kind = SMixer::Kind::kWaveOut) {
    Opened opened;
    opened.fake = card.get();
    auto holder = std::make_shared<std::unique_ptr<FakeMixer>>(std::move(card));
    auto device = std::make_shared<std::optional<std::string>>();
    opened.mixer = std::make_unique<SMixer>(
        kind, deviceName, &Devices,
        [holder, device](const std::string& name) -> std::unique_ptr<MixerBackend> {
            *device = name;
            return std::move(*holder);
        });
    opened.device = *device;
    return opened;
}

TEST(SMixerDevice, DefaultNamesOpenTheDefaultMixerOthersTheNamedDevicesCard) {
    for (const char* name : {"", "<default>", "-1", "Wave Mapper", "microsoft sound mapper"}) {
        Opened opened = Open(TypicalCard(), name);
        EXPECT_EQ(opened.device, "default") << name;
        EXPECT_TRUE(opened.mixer->IsOpen());
    }
    EXPECT_EQ(Open(TypicalCard(), "HW:card=usb,DEV=0").device, "hw:CARD=USB,DEV=0");
    EXPECT_EQ(Open(TypicalCard(), "hw:CARD=Radio,DEV=0", SMixer::Kind::kWaveIn).device,
              "hw:CARD=Radio,DEV=0");
    // Output devices are not searched for an input mixer, and the other way round.
    Opened wrongSide = Open(TypicalCard(), "hw:CARD=USB,DEV=0", SMixer::Kind::kWaveIn);
    EXPECT_FALSE(wrongSide.device.has_value());
    EXPECT_FALSE(wrongSide.mixer->IsOpen());
    EXPECT_FALSE(Open(TypicalCard(), "Sound Blaster").mixer->IsOpen());
}

TEST(SMixerDevice, MixerThatCannotBeOpenedAnswersEveryQuestionWithFailure) {
    Opened opened = Open(nullptr);
    SMixer& mixer = *opened.mixer;
    EXPECT_FALSE(mixer.IsOpen());
    EXPECT_FALSE(mixer.SetLineVolume("Line", 10));
    EXPECT_EQ(mixer.GetLineVolume("Line"), -1);
    EXPECT_FALSE(mixer.SetLineMute("Line", true));
    EXPECT_EQ(mixer.GetPlaybackSourceCount(), 0);
    EXPECT_FALSE(mixer.GetPlaybackSourceName(0));
    EXPECT_FALSE(mixer.SelectRecordingSource("Line"));
    EXPECT_EQ(mixer.GetRecordingSourceCount(), -1);
    EXPECT_EQ(mixer.GetRecordingLevel("Line"), -1);
    EXPECT_FALSE(mixer.IsRecordingMixSource("Stereo Mix"));
    EXPECT_EQ(mixer.GetMixerId(), SMixer::kUnknownId);
}

TEST(SMixerPlayback, LevelsMapLinearlyOntoTheControlsRange) {
    Opened opened = Open(TypicalCard());
    SMixer& mixer = *opened.mixer;
    MixerVolume& line = *opened.fake->playback[1].volume;
    EXPECT_TRUE(mixer.SetLineVolume("Line", 127));
    EXPECT_EQ(line.value, 65535);
    EXPECT_TRUE(mixer.SetLineVolume("Line", 64));
    EXPECT_EQ(line.value, 65535 * 64 / 127);
    EXPECT_EQ(mixer.GetLineVolume("Line"), 63) << "integer arithmetic rounds down both ways";
    EXPECT_FALSE(mixer.SetLineVolume("Line", 128));
    EXPECT_FALSE(mixer.SetLineVolume("Line", -1));
    EXPECT_EQ(line.value, 65535 * 64 / 127) << "refused levels leave the control alone";

    // A range that does not start at 0.
    MixerVolume& mic = *opened.fake->playback[2].volume;
    EXPECT_TRUE(mixer.SetLineVolume("Front Mic", 0));
    EXPECT_EQ(mic.value, 10);
    EXPECT_TRUE(mixer.SetLineVolume("front mic", 127));
    EXPECT_EQ(mic.value, 41);
    EXPECT_EQ(mixer.GetLineVolume("Mic"), 127);

    // An empty range cannot be read as a level.
    opened.fake->playback[3].volume = MixerVolume{5, 5, 5};
    EXPECT_EQ(mixer.GetLineVolume("Aux"), -1);
}

TEST(SMixerPlayback, LineNameRuleMatchesNamesThenFallbackTypes) {
    auto card = TypicalCard();
    card->playback[1].line = {"Line Boost", "Line Boost", MixerLineType::kLineIn};
    Opened opened = Open(std::move(card));
    SMixer& mixer = *opened.mixer;
    EXPECT_EQ(mixer.FindLine(MixerDestination::kPlayback, "pcm"), 0);
    EXPECT_EQ(mixer.FindLine(MixerDestination::kPlayback, "FRONT MIC"), 2);
    for (const char* lineIn : {"Line", "Line-In", "linein"}) {
        EXPECT_EQ(mixer.FindLine(MixerDestination::kPlayback, lineIn), 1) << lineIn;
    }
    for (const char* microphone : {"Microphone", "Mike"}) {
        EXPECT_EQ(mixer.FindLine(MixerDestination::kPlayback, microphone), 2) << microphone;
    }
    EXPECT_EQ(mixer.FindLine(MixerDestination::kPlayback, "Auxiliary"), 3);
    EXPECT_EQ(mixer.FindLine(MixerDestination::kPlayback, "<Not connected>"), -1);
    EXPECT_EQ(mixer.FindLine(MixerDestination::kPlayback, "Line In 2"), -1);

    EXPECT_TRUE(mixer.SetLineMute("Line-In", true));
    EXPECT_EQ(opened.fake->playback[1].mute, true);
    EXPECT_TRUE(mixer.SetLineMute("Line-In", false));
    EXPECT_EQ(opened.fake->playback[1].mute, false);
    EXPECT_FALSE(mixer.SetLineMute("<Not connected>", true));
}

TEST(SMixerPlayback, SourceListNamesAndPlaybackMix) {
    Opened opened = Open(TypicalCard());
    SMixer& mixer = *opened.mixer;
    EXPECT_EQ(mixer.GetPlaybackSourceCount(), 4);
    EXPECT_EQ(mixer.GetPlaybackSourceName(1), "Line Playback");
    EXPECT_FALSE(mixer.GetPlaybackSourceName(4));
    EXPECT_TRUE(mixer.IsPlaybackMixSource(0));
    EXPECT_FALSE(mixer.IsPlaybackMixSource(1));
    EXPECT_FALSE(mixer.IsPlaybackMixSource(-1));
    EXPECT_EQ(mixer.GetMixerId(), 2u);
}

TEST(SMixerRecording, SelectorSelectsExactlyOneItemByNameOrLineInSpelling) {
    Opened opened = Open(TypicalCard(), "-1", SMixer::Kind::kWaveIn);
    SMixer& mixer = *opened.mixer;
    auto selected = [&] {
        std::vector<std::string> names;
        for (const MixerSelectorItem& item : *opened.fake->selector) {
            if (item.selected) {
                names.push_back(item.name);
            }
        }
        return names;
    };
    EXPECT_TRUE(mixer.SelectRecordingSource("line-in"));
    EXPECT_EQ(selected(), std::vector<std::string>{"Line In"});
    EXPECT_TRUE(mixer.SelectRecordingSource("cd"));
    EXPECT_EQ(selected(), std::vector<std::string>{"CD"});
    EXPECT_FALSE(mixer.SelectRecordingSource("Phone"));
    EXPECT_EQ(selected(), std::vector<std::string>{"CD"}) << "a failed choice changes nothing";
    // "line in" is only a stand-in for the name "line-in".
    EXPECT_FALSE(mixer.SelectRecordingSource("line"));

    (*opened.fake->selector)[1].name = "LineIn";
    EXPECT_TRUE(mixer.SelectRecordingSource("Line-In"));
    EXPECT_EQ(selected(), std::vector<std::string>{"LineIn"});
}

TEST(SMixerRecording, SourceCountNamesAndMixSource) {
    Opened opened = Open(TypicalCard(), "-1", SMixer::Kind::kWaveIn);
    SMixer& mixer = *opened.mixer;
    EXPECT_EQ(mixer.GetRecordingSourceCount(), 4);
    std::string name;
    EXPECT_TRUE(mixer.GetRecordingSourceName(3, name));
    EXPECT_EQ(name, "Stereo Mix");
    EXPECT_FALSE(mixer.GetRecordingSourceName(4, name));
    EXPECT_TRUE(mixer.IsRecordingMixSource("stereo mix"));
    EXPECT_FALSE(mixer.IsRecordingMixSource("Mic"));
    EXPECT_FALSE(mixer.IsRecordingMixSource("Phone"));
}

TEST(SMixerRecording, SingleSourceWithMuteIsTheOnlyChoice) {
    auto card = TypicalCard();
    card->selector.reset();
    card->recording = {MakeLine("Mic", "Mic", MixerLineType::kMicrophone)};
    card->recording[0].mute = true;
    card->recordingName = "Recording Control";
    Opened opened = Open(std::move(card), "-1", SMixer::Kind::kWaveIn);
    SMixer& mixer = *opened.mixer;
    EXPECT_EQ(mixer.GetRecordingSourceCount(), 1);
    std::string name;
    EXPECT_FALSE(mixer.GetRecordingSourceName(0, name));
    EXPECT_EQ(name, "Recording Control");
    EXPECT_TRUE(mixer.SelectRecordingSource("anything"));
    EXPECT_EQ(opened.fake->recording[0].mute, false);

    // Two sources and no selector: nothing to choose from.
    opened.fake->recording.push_back(MakeLine("CD", "CD", MixerLineType::kCompactDisc));
    EXPECT_EQ(mixer.GetRecordingSourceCount(), -1);
    EXPECT_FALSE(mixer.SelectRecordingSource("CD"));
}

TEST(SMixerRecording, RecordingLevelOfTheLineByNameOrType) {
    Opened opened = Open(TypicalCard(), "-1", SMixer::Kind::kWaveIn);
    SMixer& mixer = *opened.mixer;
    EXPECT_EQ(mixer.GetRecordingLevel("Line-In"), 0);
    EXPECT_TRUE(mixer.SetRecordingLevel("Line-In", 110));
    EXPECT_EQ(opened.fake->recording[1].volume->value, 31 * 110 / 127);
    EXPECT_EQ(mixer.GetRecordingLevel("line capture"), 26 * 127 / 31);
    EXPECT_FALSE(mixer.SetRecordingLevel("Line-In", 200));
    EXPECT_EQ(mixer.GetRecordingLevel("CD"), -1);
}

}  // namespace
