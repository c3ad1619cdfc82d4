#include "audio/smixer.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QString>

#include "platform/post_message.h"
#include "platform/window_messages.h"

namespace {

bool SameNoCase(std::string_view a, std::string_view b) {
    return QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size()))
               .compare(QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size())),
                        Qt::CaseInsensitive) == 0;
}

}  // namespace

std::optional<MixerLineType> LineTypeOfName(std::string_view name) {
    for (const char* lineIn : {"Line", "Line-In", "LineIn"}) {
        if (SameNoCase(name, lineIn)) {
            return MixerLineType::kLineIn;
        }
    }
    for (const char* microphone : {"Microphone", "Mike", "Mic"}) {
        if (SameNoCase(name, microphone)) {
            return MixerLineType::kMicrophone;
        }
    }
    for (const char* auxiliary : {"Aux", "Auxiliary"}) {
        if (SameNoCase(name, auxiliary)) {
            return MixerLineType::kAuxiliary;
        }
    }
    return std::nullopt;
}

namespace {

bool IsDefaultDeviceName(const std::string& name) {
    return name.empty() || name == "<default>" || name == "-1" ||
           name.find("Mapper") != std::string::npos || name.find("mapper") != std::string::npos;
}

}  // namespace

SMixer::SMixer(Kind kind, const std::string& deviceName, QObject* window)
    : SMixer(kind, deviceName, &ListWaveDevices, &OpenAlsaMixer, window) {}

SMixer::SMixer(Kind kind, const std::string& deviceName, const DeviceLister& devices,
               const BackendOpener& open, QObject* window) {
    const WaveDirection direction =
        kind == Kind::kWaveIn ? WaveDirection::kInput : WaveDirection::kOutput;
    std::vector<WaveDeviceCaps> list;
    if (!IsDefaultDeviceName(deviceName) && devices) {
        list = devices(direction);
    }
    const std::optional<std::string> device = ResolveDevice(deviceName, list);
    if (device && open) {
        backend_ = open(*device);
    }
    WatchChanges(window);
}

SMixer::~SMixer() = default;

void SMixer::WatchChanges(QObject* window) {
    if (!backend_ || !window) {
        return;
    }
    const int descriptor = backend_->EventDescriptor();
    if (descriptor < 0) {
        return;
    }
    changes_ = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
    QPointer<QObject> target(window);
    QObject::connect(changes_.get(), &QSocketNotifier::activated, [this, target] {
        // Taking the events also empties the descriptor; a card that went
        // away keeps it readable, so stop listening then.
        const int count = backend_->TakeEvents();
        if (count < 0) {
            changes_->setEnabled(false);
            return;
        }
        if (count > 0 && target) {
            PostMessage(target, WM_MIXER_CONTROL_CHANGE);
        }
    });
}

std::optional<std::string> SMixer::ResolveDevice(const std::string& deviceName,
                                                 const std::vector<WaveDeviceCaps>& devices) {
    if (IsDefaultDeviceName(deviceName)) {
        return std::string("default");
    }
    for (const WaveDeviceCaps& caps : devices) {
        if (SameNoCase(caps.name, deviceName)) {
            return caps.name;
        }
    }
    return std::nullopt;
}

int SMixer::FindLine(MixerDestination destination, std::string_view name) {
    if (!backend_) {
        return -1;
    }
    const int count = backend_->SourceCount(destination);
    for (int i = 0; i < count; ++i) {
        const std::optional<MixerLine> line = backend_->Source(destination, i);
        if (line && (SameNoCase(line->shortName, name) || SameNoCase(line->fullName, name))) {
            return i;
        }
    }
    const std::optional<MixerLineType> type = LineTypeOfName(name);
    if (!type) {
        return -1;
    }
    for (int i = 0; i < count; ++i) {
        const std::optional<MixerLine> line = backend_->Source(destination, i);
        if (line && line->type == *type) {
            return i;
        }
    }
    return -1;
}

bool SMixer::SetLevel(MixerDestination destination, std::string_view name, int level) {
    if (level < 0 || level > kMaxLevel) {
        return false;
    }
    const int line = FindLine(destination, name);
    if (line < 0) {
        return false;
    }
    const std::optional<MixerVolume> volume = backend_->GetVolume(destination, line);
    if (!volume) {
        return false;
    }
    const long value = volume->min + (volume->max - volume->min) * level / kMaxLevel;
    return backend_->SetVolume(destination, line, value);
}

int SMixer::GetLevel(MixerDestination destination, std::string_view name) {
    const int line = FindLine(destination, name);
    if (line < 0) {
        return -1;
    }
    const std::optional<MixerVolume> volume = backend_->GetVolume(destination, line);
    if (!volume || volume->max <= volume->min) {
        return -1;
    }
    return static_cast<int>((volume->value - volume->min) * kMaxLevel /
                            (volume->max - volume->min));
}

bool SMixer::SetLineVolume(std::string_view name, int level) {
    return SetLevel(MixerDestination::kPlayback, name, level);
}

int SMixer::GetLineVolume(std::string_view name) {
    return GetLevel(MixerDestination::kPlayback, name);
}

bool SMixer::SetLineMute(std::string_view name, bool mute) {
    const int line = FindLine(MixerDestination::kPlayback, name);
    return line >= 0 && backend_->SetMute(MixerDestination::kPlayback, line, mute);
}

int SMixer::GetPlaybackSourceCount() {
    if (!backend_) {
        return 0;
    }
    const int count = backend_->SourceCount(MixerDestination::kPlayback);
    return count < 0 ? 0 : count;
}

std::optional<std::string> SMixer::GetPlaybackSourceName(int index) {
    if (!backend_) {
        return std::nullopt;
    }
    const std::optional<MixerLine> line = backend_->Source(MixerDestination::kPlayback, index);
    if (!line) {
        return std::nullopt;
    }
    return line->fullName;
}

bool SMixer::IsPlaybackMixSource(int index) {
    if (!backend_) {
        return false;
    }
    const std::optional<MixerLine> line = backend_->Source(MixerDestination::kPlayback, index);
    return line && line->type == MixerLineType::kPlaybackMix;
}

bool SMixer::SelectRecordingSource(std::string_view name) {
    if (!backend_) {
        return false;
    }
    if (backend_->SourceCount(MixerDestination::kRecording) == 1) {
        return backend_->SetMute(MixerDestination::kRecording, 0, false);
    }
    std::optional<std::vector<MixerSelectorItem>> items = backend_->GetSelector();
    if (!items) {
        return false;
    }
    int found = -1;
    for (size_t i = 0; i < items->size() && found < 0; ++i) {
        if (SameNoCase((*items)[i].name, name)) {
            found = static_cast<int>(i);
        }
    }
    if (found < 0 && SameNoCase(name, "line-in")) {
        for (size_t i = 0; i < items->size() && found < 0; ++i) {
            if (SameNoCase((*items)[i].name, "linein") || SameNoCase((*items)[i].name, "line in")) {
                found = static_cast<int>(i);
            }
        }
    }
    if (found < 0) {
        return false;
    }
    std::vector<bool> selected(items->size(), false);
    selected[static_cast<size_t>(found)] = true;
    return backend_->SetSelector(selected);
}

int SMixer::GetRecordingSourceCount() {
    if (!backend_) {
        return -1;
    }
    if (const std::optional<std::vector<MixerSelectorItem>> items = backend_->GetSelector()) {
        return static_cast<int>(items->size());
    }
    if (backend_->SourceCount(MixerDestination::kRecording) == 1 &&
        backend_->GetMute(MixerDestination::kRecording, 0).has_value()) {
        return 1;
    }
    return -1;
}

bool SMixer::GetRecordingSourceName(int index, std::string& name) {
    if (!backend_) {
        return false;
    }
    if (const std::optional<std::vector<MixerSelectorItem>> items = backend_->GetSelector()) {
        if (index < 0 || index >= static_cast<int>(items->size())) {
            return false;
        }
        name = (*items)[static_cast<size_t>(index)].name;
        return true;
    }
    if (backend_->SourceCount(MixerDestination::kRecording) == 1 &&
        backend_->GetMute(MixerDestination::kRecording, 0).has_value()) {
        name = backend_->DestinationName(MixerDestination::kRecording);
    }
    return false;
}

bool SMixer::IsRecordingMixSource(std::string_view name) {
    if (!backend_) {
        return false;
    }
    if (const std::optional<std::vector<MixerSelectorItem>> items = backend_->GetSelector()) {
        for (const MixerSelectorItem& item : *items) {
            if (SameNoCase(item.name, name)) {
                return item.type == MixerLineType::kPlaybackMix;
            }
        }
    }
    const int line = FindLine(MixerDestination::kRecording, name);
    if (line < 0) {
        return false;
    }
    const std::optional<MixerLine> source = backend_->Source(MixerDestination::kRecording, line);
    return source && source->type == MixerLineType::kPlaybackMix;
}

bool SMixer::SetRecordingLevel(std::string_view name, int level) {
    return SetLevel(MixerDestination::kRecording, name, level);
}

int SMixer::GetRecordingLevel(std::string_view name) {
    return GetLevel(MixerDestination::kRecording, name);
}

unsigned SMixer::GetMixerId() {
    if (!backend_ || backend_->Id() < 0) {
        return kUnknownId;
    }
    return static_cast<unsigned>(backend_->Id());
}
