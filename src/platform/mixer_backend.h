#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A sound card's mixer as the program sees it: a playback destination and a
// recording destination, each with source lines that may carry a volume
// (a range of values) and a mute switch; the recording destination may also
// have a selector, a list of named items with one flag each.

enum class MixerDestination { kPlayback, kRecording };

enum class MixerLineType {
    kOther,
    kLineIn,
    kMicrophone,
    kAuxiliary,
    kCompactDisc,
    kPlaybackMix,  // what the card plays (wave output, "Stereo Mix")
};

struct MixerLine {
    std::string shortName;
    std::string fullName;
    MixerLineType type = MixerLineType::kOther;
};

struct MixerVolume {
    long min = 0;
    long max = 0;
    long value = 0;
};

struct MixerSelectorItem {
    std::string name;
    bool selected = false;
    MixerLineType type = MixerLineType::kOther;  // the kind of source it selects
};

class MixerBackend {
  public:
    virtual ~MixerBackend() = default;

    // The mixer's number (the card number); -1 when unknown.
    virtual int Id() const = 0;
    virtual std::string DestinationName(MixerDestination destination) const = 0;
    // -1 when unknown.
    virtual int SourceCount(MixerDestination destination) const = 0;
    virtual std::optional<MixerLine> Source(MixerDestination destination, int index) const = 0;
    // Nothing when the line has no volume.
    virtual std::optional<MixerVolume> GetVolume(MixerDestination destination, int index) const = 0;
    virtual bool SetVolume(MixerDestination destination, int index, long value) = 0;
    // Nothing when the line has no mute switch.
    virtual std::optional<bool> GetMute(MixerDestination destination, int index) const = 0;
    virtual bool SetMute(MixerDestination destination, int index, bool mute) = 0;
    // The recording selector; nothing when the card has none.
    virtual std::optional<std::vector<MixerSelectorItem>> GetSelector() const = 0;
    // One flag per item, in the order GetSelector() gives them.
    virtual bool SetSelector(const std::vector<bool>& selected) = 0;

    // A descriptor that becomes readable when a control of the card changes
    // (from this program or from outside); -1 when the mixer cannot tell.
    virtual int EventDescriptor() const { return -1; }
    // Takes the pending change notices and refreshes the values read: how
    // many arrived, -1 when the mixer failed (the card went away).
    virtual int TakeEvents() { return 0; }
};

// The ALSA simple mixer of the card behind a wave device; null when it
// cannot be opened.
std::unique_ptr<MixerBackend> OpenAlsaMixer(const std::string& waveDeviceName);

// The ALSA control device of the card behind a wave device name:
// "hw:CARD=x" for names that give the card by id, "hw:N" for names that give
// it by number, "default" for any other name.
std::string MixerControlName(const std::string& waveDeviceName);

// The kind of source an ALSA mixer element of that name stands for.
MixerLineType ClassifyMixerElement(std::string_view name);

// True for elements that are outputs of the card (Master, Headphone, ...)
// rather than sources mixed into the playback.
bool IsOutputMixerElement(std::string_view name);
