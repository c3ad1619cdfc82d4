#include <alsa/asoundlib.h>
#include <poll.h>

#include <QString>
#include <algorithm>
#include <cctype>

#include "platform/mixer_backend.h"

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           QString::fromUtf8(text.data(), static_cast<qsizetype>(prefix.size()))
                   .compare(QString::fromUtf8(prefix.data(), static_cast<qsizetype>(prefix.size())),
                            Qt::CaseInsensitive) == 0;
}

bool ContainsNoCase(std::string_view text, std::string_view part) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
        .contains(QString::fromUtf8(part.data(), static_cast<qsizetype>(part.size())),
                  Qt::CaseInsensitive);
}

// One simple-mixer element taken as a source line.
struct Element {
    snd_mixer_elem_t* elem;
    MixerLine line;
};

class AlsaMixer : public MixerBackend {
  public:
    AlsaMixer(snd_mixer_t* mixer, int card) : mixer_(mixer), card_(card) { Scan(); }
    ~AlsaMixer() override { snd_mixer_close(mixer_); }

    int Id() const override { return card_; }

    int EventDescriptor() const override {
        pollfd descriptor{};
        if (snd_mixer_poll_descriptors(mixer_, &descriptor, 1) != 1) {
            return -1;
        }
        return descriptor.fd;
    }

    int TakeEvents() override {
        const int count = snd_mixer_handle_events(mixer_);
        return count < 0 ? -1 : count;
    }

    std::string DestinationName(MixerDestination destination) const override {
        const char* wanted = destination == MixerDestination::kPlayback ? "Master" : "Capture";
        for (snd_mixer_elem_t* e = snd_mixer_first_elem(mixer_); e; e = snd_mixer_elem_next(e)) {
            if (snd_mixer_selem_is_active(e) &&
                std::string(snd_mixer_selem_get_name(e)) == wanted) {
                return wanted;
            }
        }
        return destination == MixerDestination::kPlayback ? "Playback" : "Recording";
    }

    int SourceCount(MixerDestination destination) const override {
        return static_cast<int>(Sources(destination).size());
    }

    std::optional<MixerLine> Source(MixerDestination destination, int index) const override {
        const Element* element = At(destination, index);
        if (element == nullptr) {
            return std::nullopt;
        }
        return element->line;
    }

    std::optional<MixerVolume> GetVolume(MixerDestination destination, int index) const override {
        const Element* element = At(destination, index);
        if (element == nullptr) {
            return std::nullopt;
        }
        MixerVolume volume;
        long value = 0;
        if (destination == MixerDestination::kPlayback) {
            if (!snd_mixer_selem_has_playback_volume(element->elem) ||
                snd_mixer_selem_get_playback_volume_range(element->elem, &volume.min, &volume.max) <
                    0 ||
                snd_mixer_selem_get_playback_volume(element->elem, SND_MIXER_SCHN_FRONT_LEFT,
                                                    &value) < 0) {
                return std::nullopt;
            }
        } else if (!snd_mixer_selem_has_capture_volume(element->elem) ||
                   snd_mixer_selem_get_capture_volume_range(element->elem, &volume.min,
                                                            &volume.max) < 0 ||
                   snd_mixer_selem_get_capture_volume(element->elem, SND_MIXER_SCHN_FRONT_LEFT,
                                                      &value) < 0) {
            return std::nullopt;
        }
        volume.value = value;
        return volume;
    }

    bool SetVolume(MixerDestination destination, int index, long value) override {
        const Element* element = At(destination, index);
        if (element == nullptr) {
            return false;
        }
        if (destination == MixerDestination::kPlayback) {
            return snd_mixer_selem_has_playback_volume(element->elem) &&
                   snd_mixer_selem_set_playback_volume_all(element->elem, value) == 0;
        }
        return snd_mixer_selem_has_capture_volume(element->elem) &&
               snd_mixer_selem_set_capture_volume_all(element->elem, value) == 0;
    }

    std::optional<bool> GetMute(MixerDestination destination, int index) const override {
        const Element* element = At(destination, index);
        if (element == nullptr) {
            return std::nullopt;
        }
        int on = 0;
        if (destination == MixerDestination::kPlayback) {
            if (!snd_mixer_selem_has_playback_switch(element->elem) ||
                snd_mixer_selem_get_playback_switch(element->elem, SND_MIXER_SCHN_FRONT_LEFT, &on) <
                    0) {
                return std::nullopt;
            }
        } else if (!snd_mixer_selem_has_capture_switch(element->elem) ||
                   snd_mixer_selem_get_capture_switch(element->elem, SND_MIXER_SCHN_FRONT_LEFT,
                                                      &on) < 0) {
            return std::nullopt;
        }
        return on == 0;
    }

    bool SetMute(MixerDestination destination, int index, bool mute) override {
        const Element* element = At(destination, index);
        if (element == nullptr) {
            return false;
        }
        if (destination == MixerDestination::kPlayback) {
            return snd_mixer_selem_has_playback_switch(element->elem) &&
                   snd_mixer_selem_set_playback_switch_all(element->elem, mute ? 0 : 1) == 0;
        }
        return snd_mixer_selem_has_capture_switch(element->elem) &&
               snd_mixer_selem_set_capture_switch_all(element->elem, mute ? 0 : 1) == 0;
    }

    std::optional<std::vector<MixerSelectorItem>> GetSelector() const override {
        if (snd_mixer_elem_t* choice = CaptureChoice()) {
            const int count = snd_mixer_selem_get_enum_items(choice);
            unsigned current = 0;
            if (count <= 0 ||
                snd_mixer_selem_get_enum_item(choice, SND_MIXER_SCHN_FRONT_LEFT, &current) < 0) {
                return std::nullopt;
            }
            std::vector<MixerSelectorItem> items;
            for (int i = 0; i < count; ++i) {
                char name[64] = {};
                snd_mixer_selem_get_enum_item_name(choice, static_cast<unsigned>(i), sizeof name,
                                                   name);
                items.push_back(
                    {name, static_cast<unsigned>(i) == current, ClassifyMixerElement(name)});
            }
            return items;
        }
        // Without a choice element the capture switches select the sources.
        std::vector<MixerSelectorItem> items;
        for (const Element& element : switchSources_) {
            int on = 0;
            snd_mixer_selem_get_capture_switch(element.elem, SND_MIXER_SCHN_FRONT_LEFT, &on);
            items.push_back({element.line.fullName, on != 0, element.line.type});
        }
        if (items.empty()) {
            return std::nullopt;
        }
        return items;
    }

    bool SetSelector(const std::vector<bool>& selected) override {
        if (snd_mixer_elem_t* choice = CaptureChoice()) {
            const auto it = std::find(selected.begin(), selected.end(), true);
            if (it == selected.end()) {
                return false;
            }
            const auto item = static_cast<unsigned>(it - selected.begin());
            if (snd_mixer_selem_set_enum_item(choice, SND_MIXER_SCHN_FRONT_LEFT, item) < 0) {
                return false;
            }
            // A stereo choice has a second channel; a mono one refuses it.
            snd_mixer_selem_set_enum_item(choice, SND_MIXER_SCHN_FRONT_RIGHT, item);
            return true;
        }
        if (selected.size() != switchSources_.size()) {
            return false;
        }
        bool ok = true;
        for (size_t i = 0; i < selected.size(); ++i) {
            ok = snd_mixer_selem_set_capture_switch_all(switchSources_[i].elem,
                                                        selected[i] ? 1 : 0) == 0 &&
                 ok;
        }
        return ok;
    }

  private:
    void Scan() {
        for (snd_mixer_elem_t* e = snd_mixer_first_elem(mixer_); e; e = snd_mixer_elem_next(e)) {
            if (!snd_mixer_selem_is_active(e) || snd_mixer_selem_is_enumerated(e)) {
                continue;
            }
            std::string name = snd_mixer_selem_get_name(e);
            const unsigned index = snd_mixer_selem_get_index(e);
            const std::string fullName = index == 0 ? name : name + " " + std::to_string(index);
            const Element element{e, {name, fullName, ClassifyMixerElement(name)}};
            if ((snd_mixer_selem_has_playback_volume(e) ||
                 snd_mixer_selem_has_playback_switch(e)) &&
                !IsOutputMixerElement(name)) {
                playback_.push_back(element);
            }
            if ((snd_mixer_selem_has_capture_volume(e) || snd_mixer_selem_has_capture_switch(e)) &&
                name != "Capture") {
                recording_.push_back(element);
                if (snd_mixer_selem_has_capture_switch(e)) {
                    switchSources_.push_back(element);
                }
            }
        }
    }

    // The enumerated element that chooses the capture source.
    snd_mixer_elem_t* CaptureChoice() const {
        for (snd_mixer_elem_t* e = snd_mixer_first_elem(mixer_); e; e = snd_mixer_elem_next(e)) {
            if (snd_mixer_selem_is_active(e) && snd_mixer_selem_is_enumerated(e) &&
                (snd_mixer_selem_is_enum_capture(e) ||
                 ContainsNoCase(snd_mixer_selem_get_name(e), "Capture Source") ||
                 ContainsNoCase(snd_mixer_selem_get_name(e), "Input Source"))) {
                return e;
            }
        }
        return nullptr;
    }

    const std::vector<Element>& Sources(MixerDestination destination) const {
        return destination == MixerDestination::kPlayback ? playback_ : recording_;
    }

    const Element* At(MixerDestination destination, int index) const {
        const std::vector<Element>& sources = Sources(destination);
        if (index < 0 || index >= static_cast<int>(sources.size())) {
            return nullptr;
        }
        return &sources[static_cast<size_t>(index)];
    }

    snd_mixer_t* mixer_;
    int card_;
    std::vector<Element> playback_;
    std::vector<Element> recording_;
    std::vector<Element> switchSources_;
};

int CardOf(const std::string& controlName) {
    snd_ctl_t* ctl = nullptr;
    if (snd_ctl_open(&ctl, controlName.c_str(), 0) < 0) {
        return -1;
    }
    snd_ctl_card_info_t* info = nullptr;
    snd_ctl_card_info_alloca(&info);
    const int card = snd_ctl_card_info(ctl, info) == 0 ? snd_ctl_card_info_get_card(info) : -1;
    snd_ctl_close(ctl);
    return card;
}

}  // namespace

std::string MixerControlName(const std::string& waveDeviceName) {
    const size_t card = waveDeviceName.find("CARD=");
    if (card != std::string::npos) {
        const size_t start = card + 5;
        const size_t end = waveDeviceName.find(',', start);
        const std::string id =
            waveDeviceName.substr(start, end == std::string::npos ? end : end - start);
        if (!id.empty()) {
            return "hw:CARD=" + id;
        }
    }
    const size_t colon = waveDeviceName.find(':');
    if (colon != std::string::npos && colon + 1 < waveDeviceName.size() &&
        std::isdigit(static_cast<unsigned char>(waveDeviceName[colon + 1]))) {
        size_t end = colon + 1;
        while (end < waveDeviceName.size() &&
               std::isdigit(static_cast<unsigned char>(waveDeviceName[end]))) {
            ++end;
        }
        return "hw:" + waveDeviceName.substr(colon + 1, end - colon - 1);
    }
    return "default";
}

MixerLineType ClassifyMixerElement(std::string_view name) {
    if (StartsWithNoCase(name, "Line")) {
        return MixerLineType::kLineIn;
    }
    if (StartsWithNoCase(name, "Mic") || ContainsNoCase(name, " Mic")) {
        return MixerLineType::kMicrophone;
    }
    if (StartsWithNoCase(name, "Aux")) {
        return MixerLineType::kAuxiliary;
    }
    if (StartsWithNoCase(name, "CD")) {
        return MixerLineType::kCompactDisc;
    }
    if (StartsWithNoCase(name, "PCM") || StartsWithNoCase(name, "Wave") ||
        ContainsNoCase(name, "Stereo Mix") || ContainsNoCase(name, "What U Hear") ||
        name == "Mix" || StartsWithNoCase(name, "Mix ")) {
        return MixerLineType::kPlaybackMix;
    }
    return MixerLineType::kOther;
}

bool IsOutputMixerElement(std::string_view name) {
    static const char* const kOutputs[] = {"Master",       "Master Mono", "Headphone", "Speaker",
                                           "Bass Speaker", "Front",       "Surround",  "Center",
                                           "LFE",          "Side"};
    return StartsWithNoCase(name, "IEC958") ||
           std::any_of(std::begin(kOutputs), std::end(kOutputs), [&](const char* output) {
               return name.size() == std::string_view(output).size() &&
                      StartsWithNoCase(name, output);
           });
}

std::unique_ptr<MixerBackend> OpenAlsaMixer(const std::string& waveDeviceName) {
    const std::string control = MixerControlName(waveDeviceName);
    snd_mixer_t* mixer = nullptr;
    if (snd_mixer_open(&mixer, 0) < 0) {
        return nullptr;
    }
    if (snd_mixer_attach(mixer, control.c_str()) < 0 ||
        snd_mixer_selem_register(mixer, nullptr, nullptr) < 0 || snd_mixer_load(mixer) < 0) {
        snd_mixer_close(mixer);
        return nullptr;
    }
    return std::make_unique<AlsaMixer>(mixer, CardOf(control));
}
