#include <alsa/asoundlib.h>

#include <algorithm>
#include <cstdlib>

#include "platform/sdr_audio.h"
#include "platform/wave_device.h"

namespace {

std::string TakeHint(void* hint, const char* id) {
    char* value = snd_device_name_get_hint(hint, id);
    if (value == nullptr) {
        return {};
    }
    std::string text(value);
    free(value);
    return text;
}

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

bool Listed(const std::vector<WaveDeviceCaps>& list, const std::string& name) {
    return std::any_of(list.begin(), list.end(),
                       [&](const WaveDeviceCaps& caps) { return caps.name == name; });
}

void AddHints(WaveDirection direction, std::vector<WaveDeviceCaps>& list) {
    void** hints = nullptr;
    if (snd_device_name_hint(-1, "pcm", &hints) < 0 || hints == nullptr) {
        return;
    }
    const char* other = direction == WaveDirection::kInput ? "Output" : "Input";
    for (void** hint = hints; *hint != nullptr; ++hint) {
        const std::string name = TakeHint(*hint, "NAME");
        const std::string ioid = TakeHint(*hint, "IOID");  // empty: both directions
        if (name.empty() || ioid == other || Listed(list, name)) {
            continue;
        }
        list.push_back({name, FirstLine(TakeHint(*hint, "DESC"))});
    }
    snd_device_name_free_hint(hints);
}

// PCM devices of the sound cards that the hints left out.
void AddCardDevices(WaveDirection direction, std::vector<WaveDeviceCaps>& list) {
    const snd_pcm_stream_t stream =
        direction == WaveDirection::kInput ? SND_PCM_STREAM_CAPTURE : SND_PCM_STREAM_PLAYBACK;
    int card = -1;
    while (snd_card_next(&card) == 0 && card >= 0) {
        snd_ctl_t* ctl = nullptr;
        const std::string ctlName = "hw:" + std::to_string(card);
        if (snd_ctl_open(&ctl, ctlName.c_str(), 0) < 0) {
            continue;
        }
        snd_ctl_card_info_t* cardInfo = nullptr;
        snd_ctl_card_info_alloca(&cardInfo);
        if (snd_ctl_card_info(ctl, cardInfo) < 0) {
            snd_ctl_close(ctl);
            continue;
        }
        const std::string cardId = snd_ctl_card_info_get_id(cardInfo);
        const std::string cardName = snd_ctl_card_info_get_name(cardInfo);
        int device = -1;
        while (snd_ctl_pcm_next_device(ctl, &device) == 0 && device >= 0) {
            snd_pcm_info_t* info = nullptr;
            snd_pcm_info_alloca(&info);
            snd_pcm_info_set_device(info, static_cast<unsigned>(device));
            snd_pcm_info_set_subdevice(info, 0);
            snd_pcm_info_set_stream(info, stream);
            if (snd_ctl_pcm_info(ctl, info) < 0) {
                continue;
            }
            const std::string suffix = "CARD=" + cardId + ",DEV=" + std::to_string(device);
            if (Listed(list, "plughw:" + suffix) || Listed(list, "hw:" + suffix)) {
                continue;
            }
            list.push_back({"plughw:" + suffix, cardName + ", " + snd_pcm_info_get_name(info)});
        }
        snd_ctl_close(ctl);
    }
}

}  // namespace

std::vector<WaveDeviceCaps> ListWaveDevices(WaveDirection direction) {
    std::vector<WaveDeviceCaps> list;
    AddHints(direction, list);
    AddCardDevices(direction, list);
    // Last, so that the numbers of the sound card devices stay as they are.
    if (direction == WaveDirection::kInput && sdr_audio::SourceAttached()) {
        list.push_back({kSdrCaptureDevice, "Demodulated audio of the SDR radio"});
    }
    return list;
}

int WaveGetNumDevs(WaveDirection direction) {
    return static_cast<int>(ListWaveDevices(direction).size());
}

std::optional<WaveDeviceCaps> WaveGetDevCaps(WaveDirection direction, int device) {
    if (device == kWaveMapper) {
        snd_config_t* top = nullptr;
        if (snd_config_update_ref(&top) < 0 || top == nullptr) {
            return std::nullopt;
        }
        snd_config_t* node = nullptr;
        const bool defined = snd_config_search(top, "pcm.default", &node) == 0;
        snd_config_unref(top);
        if (!defined) {
            return std::nullopt;
        }
        return WaveDeviceCaps{"default", "Default device"};
    }
    const std::vector<WaveDeviceCaps> list = ListWaveDevices(direction);
    if (device < 0 || device >= static_cast<int>(list.size())) {
        return std::nullopt;
    }
    return list[static_cast<size_t>(device)];
}
