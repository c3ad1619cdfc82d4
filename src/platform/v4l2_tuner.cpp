#include "platform/v4l2_tuner.h"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <set>
#include <utility>

namespace {

constexpr quint32 kMaxTuners = 16;

quint32 DeviceCaps(const v4l2_capability& capability) {
    return (capability.capabilities & V4L2_CAP_DEVICE_CAPS) != 0 ? capability.device_caps
                                                                 : capability.capabilities;
}

template <size_t N>
QString FixedText(const __u8 (&text)[N]) {
    const auto* chars = reinterpret_cast<const char*>(text);
    return QString::fromUtf8(chars, static_cast<qsizetype>(strnlen(chars, N)));
}

std::optional<v4l2_capability> QueryCapability(V4l2Device& device) {
    v4l2_capability capability{};
    if (device.Ioctl(VIDIOC_QUERYCAP, &capability) < 0 ||
        (DeviceCaps(capability) & V4L2_CAP_TUNER) == 0) {
        return std::nullopt;
    }
    return capability;
}

std::optional<v4l2_tuner> FindRadioTuner(V4l2Device& device) {
    for (quint32 index = 0; index < kMaxTuners; ++index) {
        v4l2_tuner tuner{};
        tuner.index = index;
        if (device.Ioctl(VIDIOC_G_TUNER, &tuner) < 0) {
            break;
        }
        if (tuner.type == V4L2_TUNER_RADIO) {
            return tuner;
        }
    }
    return std::nullopt;
}

class LinuxV4l2Device : public V4l2Device {
  public:
    explicit LinuxV4l2Device(int fd) : fd_(fd) {}
    ~LinuxV4l2Device() override { ::close(fd_); }
    LinuxV4l2Device(const LinuxV4l2Device&) = delete;
    LinuxV4l2Device& operator=(const LinuxV4l2Device&) = delete;

    int Ioctl(unsigned long request, void* argument) override {
        int result;
        do {
            result = ::ioctl(fd_, request, argument);
        } while (result < 0 && errno == EINTR);
        return result < 0 ? -errno : result;
    }

  private:
    int fd_;
};

class LinuxV4l2Layer : public V4l2Layer {
  public:
    QStringList TunerNodes() override {
        static const QRegularExpression pattern(QStringLiteral("^(radio|video)(\\d+)$"));
        std::vector<std::pair<std::pair<int, int>, QString>> nodes;
        const QDir dev(QStringLiteral("/dev"));
        for (const QString& name : dev.entryList(QDir::System | QDir::AllEntries)) {
            const auto match = pattern.match(name);
            if (match.hasMatch()) {
                const int kind = match.captured(1) == QLatin1String("radio") ? 0 : 1;
                nodes.push_back({{kind, match.captured(2).toInt()}, dev.filePath(name)});
            }
        }
        std::sort(nodes.begin(), nodes.end());
        QStringList paths;
        for (const auto& node : nodes) {
            paths << node.second;
        }
        return paths;
    }

    std::unique_ptr<V4l2Device> Open(const QString& node) override {
        const QByteArray path = QFile::encodeName(node);
        int fd = ::open(path.constData(), O_RDWR | O_CLOEXEC);
        if (fd < 0 && errno == EACCES) {
            fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        }
        if (fd < 0) {
            return nullptr;
        }
        return std::make_unique<LinuxV4l2Device>(fd);
    }

    QString AlsaCaptureDevice(const QString& node) override {
        return AlsaCaptureDeviceInSysfs(QStringLiteral("/sys"), QFileInfo(node).fileName());
    }
};

// Whether two sysfs device folders belong to the same piece of hardware:
// the same device, two interfaces of one USB device ("1-2:1.0", "1-2:1.1"),
// or two functions of one PCI slot ("0000:03:00.0", "0000:03:00.1").
bool SameHardware(const QString& a, const QString& b) {
    if (a == b) {
        return true;
    }
    const QFileInfo first(a);
    const QFileInfo second(b);
    if (first.path() != second.path()) {
        return false;
    }
    static const QRegularExpression usbInterface(QStringLiteral("^\\d+-[\\d.]+:\\d+\\.\\d+$"));
    static const QRegularExpression pciFunction(
        QStringLiteral("^([0-9a-f]{4}:[0-9a-f]{2}:[0-9a-f]{2})\\.[0-7]$"));
    if (usbInterface.match(first.fileName()).hasMatch() &&
        usbInterface.match(second.fileName()).hasMatch()) {
        return true;
    }
    const auto slotA = pciFunction.match(first.fileName());
    const auto slotB = pciFunction.match(second.fileName());
    return slotA.hasMatch() && slotB.hasMatch() && slotA.captured(1) == slotB.captured(1);
}

std::vector<std::pair<int, QString>> NumberedEntries(const QDir& dir,
                                                     const QRegularExpression& pattern) {
    std::vector<std::pair<int, QString>> entries;
    for (const QString& name :
         dir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const auto match = pattern.match(name);
        if (match.hasMatch()) {
            entries.push_back({match.captured(1).toInt(), name});
        }
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

}  // namespace

V4l2Layer& V4l2Layer::System() {
    static LinuxV4l2Layer layer;
    return layer;
}

std::vector<V4l2RadioTunerInfo> EnumerateRadioTuners(V4l2Layer& layer) {
    std::vector<V4l2RadioTunerInfo> tuners;
    std::set<std::pair<QString, QString>> cards;
    for (const QString& node : layer.TunerNodes()) {
        const auto device = layer.Open(node);
        if (!device) {
            continue;
        }
        const auto capability = QueryCapability(*device);
        if (!capability) {
            continue;
        }
        const auto tuner = FindRadioTuner(*device);
        if (!tuner) {
            continue;
        }
        V4l2RadioTunerInfo info{node, FixedText(capability->card), FixedText(capability->bus_info),
                                tuner->index};
        if (!info.busInfo.isEmpty() && !cards.insert({info.cardName, info.busInfo}).second) {
            continue;
        }
        tuners.push_back(std::move(info));
    }
    return tuners;
}

V4l2RadioTuner::V4l2RadioTuner(std::unique_ptr<V4l2Device> device, QString node, quint32 tuner,
                               double hertzPerUnit)
    : device_(std::move(device)),
      node_(std::move(node)),
      tuner_(tuner),
      hertzPerUnit_(hertzPerUnit) {}

std::unique_ptr<V4l2RadioTuner> V4l2RadioTuner::Open(V4l2Layer& layer, const QString& node) {
    auto device = layer.Open(node);
    if (!device || !QueryCapability(*device)) {
        return nullptr;
    }
    const auto tuner = FindRadioTuner(*device);
    if (!tuner) {
        return nullptr;
    }
    double hertzPerUnit = 62500.0;
    if ((tuner->capability & V4L2_TUNER_CAP_1HZ) != 0) {
        hertzPerUnit = 1.0;
    } else if ((tuner->capability & V4L2_TUNER_CAP_LOW) != 0) {
        hertzPerUnit = 62.5;
    }
    return std::unique_ptr<V4l2RadioTuner>(
        new V4l2RadioTuner(std::move(device), node, tuner->index, hertzPerUnit));
}

bool V4l2RadioTuner::SetFrequencyHz(qint64 hertz) {
    const double units = std::round(static_cast<double>(hertz) / hertzPerUnit_);
    if (hertz < 0 || units > 4294967295.0) {
        return false;
    }
    v4l2_frequency frequency{};
    frequency.tuner = tuner_;
    frequency.type = V4L2_TUNER_RADIO;
    frequency.frequency = static_cast<__u32>(units);
    return device_->Ioctl(VIDIOC_S_FREQUENCY, &frequency) >= 0;
}

std::optional<qint64> V4l2RadioTuner::FrequencyHz() {
    v4l2_frequency frequency{};
    frequency.tuner = tuner_;
    frequency.type = V4L2_TUNER_RADIO;
    if (device_->Ioctl(VIDIOC_G_FREQUENCY, &frequency) < 0) {
        return std::nullopt;
    }
    return std::llround(frequency.frequency * hertzPerUnit_);
}

std::optional<int> V4l2RadioTuner::Signal() {
    v4l2_tuner tuner{};
    tuner.index = tuner_;
    if (device_->Ioctl(VIDIOC_G_TUNER, &tuner) < 0) {
        return std::nullopt;
    }
    return static_cast<int>(tuner.signal);
}

bool V4l2RadioTuner::HasMute() {
    v4l2_queryctrl control{};
    control.id = V4L2_CID_AUDIO_MUTE;
    return device_->Ioctl(VIDIOC_QUERYCTRL, &control) >= 0 &&
           (control.flags & (V4L2_CTRL_FLAG_DISABLED | V4L2_CTRL_FLAG_READ_ONLY)) == 0;
}

bool V4l2RadioTuner::SetMute(bool mute) {
    v4l2_control control{};
    control.id = V4L2_CID_AUDIO_MUTE;
    control.value = mute ? 1 : 0;
    return device_->Ioctl(VIDIOC_S_CTRL, &control) >= 0;
}

QString AlsaCaptureDeviceInSysfs(const QString& sysfsRoot, const QString& nodeName) {
    if (nodeName.isEmpty() || nodeName.contains('/')) {
        return {};
    }
    const QString videoDevice =
        QFileInfo(sysfsRoot + "/class/video4linux/" + nodeName + "/device").canonicalFilePath();
    if (videoDevice.isEmpty()) {
        return {};
    }
    static const QRegularExpression cardPattern(QStringLiteral("^card(\\d+)$"));
    const QDir soundClass(sysfsRoot + "/class/sound");
    for (const auto& [number, card] : NumberedEntries(soundClass, cardPattern)) {
        const QDir cardDir(soundClass.filePath(card));
        const QString cardDevice = QFileInfo(cardDir.filePath("device")).canonicalFilePath();
        if (cardDevice.isEmpty() || !SameHardware(videoDevice, cardDevice)) {
            continue;
        }
        const QRegularExpression capturePattern(QStringLiteral("^pcmC%1D(\\d+)c$").arg(number));
        const auto captures = NumberedEntries(cardDir, capturePattern);
        if (captures.empty()) {
            continue;
        }
        QFile idFile(cardDir.filePath("id"));
        QString id;
        if (idFile.open(QIODevice::ReadOnly)) {
            id = QString::fromUtf8(idFile.readAll()).trimmed();
        }
        return id.isEmpty()
                   ? QStringLiteral("plughw:%1,%2").arg(number).arg(captures.front().first)
                   : QStringLiteral("plughw:CARD=%1,DEV=%2").arg(id).arg(captures.front().first);
    }
    return {};
}
