#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mixer_backend.h"
#include "platform/wave_device.h"

class QObject;
class QSocketNotifier;

// The kind of source line that one of the names the pages offer stands
// for ("Line", "Line-In", "LineIn", "Microphone", "Mike", "Mic", "Aux",
// "Auxiliary", case ignored); nothing for other names.
std::optional<MixerLineType> LineTypeOfName(std::string_view name);

// The sound card's mixer as the rest of the program needs it: volume and
// mute of the line that carries the radio on the playback side, that line
// as the recording source, and the recording level. Levels are on a 0..127
// scale, mapped linearly onto each control's own range. Every operation
// returns false or -1 when a line or control cannot be read or set.
class SMixer {
  public:
    enum class Kind { kWaveIn, kWaveOut };

    using DeviceLister = std::function<std::vector<WaveDeviceCaps>(WaveDirection)>;
    using BackendOpener =
        std::function<std::unique_ptr<MixerBackend>(const std::string& waveDeviceName)>;

    static constexpr int kMaxLevel = 127;
    static constexpr unsigned kUnknownId = 0xFFFF;

    // The mixer of the card behind the wave device of that name (input or
    // output by kind). When a window is given, every change of a control of
    // the card, ours or another program's, posts WM_MIXER_CONTROL_CHANGE to
    // it.
    SMixer(Kind kind, const std::string& deviceName, QObject* window = nullptr);
    // The same with the device list and the mixer layer given.
    SMixer(Kind kind, const std::string& deviceName, const DeviceLister& devices,
           const BackendOpener& open, QObject* window = nullptr);
    virtual ~SMixer();
    SMixer(const SMixer&) = delete;
    SMixer& operator=(const SMixer&) = delete;

    bool IsOpen() const { return backend_ != nullptr; }

    // The wave device whose mixer a device setting names: the default device
    // for an empty name, "<default>", "-1" or a name containing "Mapper" or
    // "mapper"; else the listed device of that name, ignoring case; nothing
    // when none matches.
    static std::optional<std::string> ResolveDevice(const std::string& deviceName,
                                                    const std::vector<WaveDeviceCaps>& devices);

    // Playback side, lines found by the line-name rule.
    bool SetLineVolume(std::string_view name, int level);
    int GetLineVolume(std::string_view name);
    bool SetLineMute(std::string_view name, bool mute);
    int GetPlaybackSourceCount();
    std::optional<std::string> GetPlaybackSourceName(int index);
    bool IsPlaybackMixSource(int index);

    // Recording side.
    bool SelectRecordingSource(std::string_view name);
    int GetRecordingSourceCount();
    // The selector item's name, true. Without a selector (one source with a
    // mute switch) the recording destination's own name, false.
    bool GetRecordingSourceName(int index, std::string& name);
    // The selector item or recording source of that name selects what the
    // card plays (wave output, "Stereo Mix").
    bool IsRecordingMixSource(std::string_view name);
    bool SetRecordingLevel(std::string_view name, int level);
    int GetRecordingLevel(std::string_view name);

    unsigned GetMixerId();

    // Index of the source line of that destination that the name stands
    // for: a line whose short or full name equals it (ignoring case), else
    // the first line of the type that "Line", "Line-In", "LineIn",
    // "Microphone", "Mike", "Mic", "Aux" or "Auxiliary" name; -1 otherwise.
    int FindLine(MixerDestination destination, std::string_view name);

  private:
    bool SetLevel(MixerDestination destination, std::string_view name, int level);
    int GetLevel(MixerDestination destination, std::string_view name);

    void WatchChanges(QObject* window);

    std::unique_ptr<MixerBackend> backend_;
    std::unique_ptr<QSocketNotifier> changes_;
};
