#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <memory>
#include <optional>
#include <vector>

// Radio tuners of TV cards and FM receivers as Video4Linux2 devices
// (/dev/radio*, /dev/video*).

// One open device node.
class V4l2Device {
  public:
    virtual ~V4l2Device() = default;
    // One ioctl: its non-negative result, or the negated errno on failure.
    virtual int Ioctl(unsigned long request, void* argument) = 0;
};

// Access to the device nodes. The machine's layer opens the real nodes;
// tests put a simulated driver behind it.
class V4l2Layer {
  public:
    virtual ~V4l2Layer() = default;
    // The nodes that may hold a tuner: /dev/radio<N> by number, then
    // /dev/video<N> by number.
    virtual QStringList TunerNodes() = 0;
    // Null when the node cannot be opened.
    virtual std::unique_ptr<V4l2Device> Open(const QString& node) = 0;
    // The ALSA capture device of the card behind a node, as an ALSA device
    // name; empty when the card has none.
    virtual QString AlsaCaptureDevice(const QString& node) = 0;

    static V4l2Layer& System();
};

struct V4l2RadioTunerInfo {
    QString node;      // "/dev/radio0"
    QString cardName;  // the driver's card name: the device's friendly name
    QString busInfo;
    quint32 tuner = 0;  // index of the radio tuner
};

// The devices with a radio tuner, in node order. A card reached through two
// nodes that both report a radio tuner is listed once, under its first node.
std::vector<V4l2RadioTunerInfo> EnumerateRadioTuners(V4l2Layer& layer);

// The radio tuner of one open device.
class V4l2RadioTuner {
  public:
    // Opens the node and finds its radio tuner; null when the node cannot be
    // opened or has none.
    static std::unique_ptr<V4l2RadioTuner> Open(V4l2Layer& layer, const QString& node);

    const QString& node() const { return node_; }
    quint32 tunerIndex() const { return tuner_; }
    // Hertz per unit of the tuner's frequency values: 62.5 (low), 1 or
    // 62500.
    double hertzPerUnit() const { return hertzPerUnit_; }

    // Tunes in radio mode to the nearest frequency the tuner can express.
    bool SetFrequencyHz(qint64 hertz);
    std::optional<qint64> FrequencyHz();
    // Signal strength, 0 to 65535; nullopt when the tuner cannot be asked.
    std::optional<int> Signal();
    // Whether the card has an audio mute control it lets us use.
    bool HasMute();
    bool SetMute(bool mute);

  private:
    V4l2RadioTuner(std::unique_ptr<V4l2Device> device, QString node, quint32 tuner,
                   double hertzPerUnit);

    std::unique_ptr<V4l2Device> device_;
    QString node_;
    quint32 tuner_;
    double hertzPerUnit_;
};

// The ALSA capture device of the card behind a video4linux node, found in a
// sysfs tree: the sound card on the same device, on another interface of the
// same USB device, or on another function of the same PCI slot. Gives
// "plughw:CARD=<id>,DEV=<n>" for its first capture device, else empty.
QString AlsaCaptureDeviceInSysfs(const QString& sysfsRoot, const QString& nodeName);
