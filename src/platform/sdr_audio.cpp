#include "platform/sdr_audio.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

struct Hub {
    std::mutex mutex;
    const void* source = nullptr;
    std::vector<SdrAudioListener*> listeners;
};

Hub& TheHub() {
    static Hub hub;
    return hub;
}

void LoseAll(Hub& hub, const std::string& reason) {
    for (SdrAudioListener* listener : hub.listeners) {
        listener->OnSdrLost(reason);
    }
}

}  // namespace

namespace sdr_audio {

void AttachSource(const void* source) {
    Hub& hub = TheHub();
    std::lock_guard lock(hub.mutex);
    if (hub.source != nullptr && hub.source != source) {
        LoseAll(hub, "another SDR radio took over");
    }
    hub.source = source;
}

void DetachSource(const void* source) {
    Hub& hub = TheHub();
    std::lock_guard lock(hub.mutex);
    if (hub.source != source || source == nullptr) {
        return;
    }
    hub.source = nullptr;
    LoseAll(hub, "the SDR radio was closed");
}

bool SourceAttached() {
    Hub& hub = TheHub();
    std::lock_guard lock(hub.mutex);
    return hub.source != nullptr;
}

void Deliver(const void* source, const float* stereo, size_t frames) {
    Hub& hub = TheHub();
    std::lock_guard lock(hub.mutex);
    if (hub.source != source || source == nullptr) {
        return;
    }
    for (SdrAudioListener* listener : hub.listeners) {
        listener->OnSdrAudio(stereo, frames);
    }
}

void ReportLost(const void* source, const std::string& reason) {
    Hub& hub = TheHub();
    std::lock_guard lock(hub.mutex);
    if (hub.source == source && source != nullptr) {
        LoseAll(hub, reason);
    }
}

void AddListener(SdrAudioListener* listener) {
    Hub& hub = TheHub();
    std::lock_guard lock(hub.mutex);
    if (std::find(hub.listeners.begin(), hub.listeners.end(), listener) == hub.listeners.end()) {
        hub.listeners.push_back(listener);
    }
}

void RemoveListener(SdrAudioListener* listener) {
    Hub& hub = TheHub();
    std::lock_guard lock(hub.mutex);
    std::erase(hub.listeners, listener);
}

}  // namespace sdr_audio
