#pragma once

#include <linux/videodev2.h>

#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/v4l2_tuner.h"

// A Video4Linux2 card as its driver answers the ioctls the radio tuner code
// uses, with a record of what was set.
struct FakeTunerCard {
    struct Tuner {
        quint32 type = V4L2_TUNER_RADIO;
        quint32 capability = V4L2_TUNER_CAP_LOW | V4L2_TUNER_CAP_STEREO;
    };

    QString node;
    QString card;
    QString bus;
    quint32 caps = V4L2_CAP_TUNER | V4L2_CAP_RADIO;
    bool reportsDeviceCaps = true;
    std::vector<Tuner> tuners{Tuner{}};
    quint32 signal = 0;
    bool hasMute = true;
    quint32 muteFlags = 0;
    bool rejectsFrequency = false;
    QString alsaCapture;

    // What happened.
    std::vector<quint32> frequencies;  // every accepted VIDIOC_S_FREQUENCY, in tuner units
    std::vector<int> muteSets;         // every V4L2_CID_AUDIO_MUTE value set
    int openDevices = 0;
    bool vanished = false;  // unplugged: the node is gone, open handles fail

    static std::shared_ptr<FakeTunerCard> Radio(const QString& node, const QString& card,
                                                const QString& bus = {}) {
        auto c = std::make_shared<FakeTunerCard>();
        c->node = node;
        c->card = card;
        c->bus = bus;
        return c;
    }
};

class FakeV4l2Device : public V4l2Device {
  public:
    explicit FakeV4l2Device(std::shared_ptr<FakeTunerCard> card) : card_(std::move(card)) {
        ++card_->openDevices;
    }
    ~FakeV4l2Device() override { --card_->openDevices; }

    int Ioctl(unsigned long request, void* argument) override {
        FakeTunerCard& c = *card_;
        if (c.vanished) {
            return -ENODEV;
        }
        switch (request) {
            case VIDIOC_QUERYCAP: {
                auto* cap = static_cast<v4l2_capability*>(argument);
                *cap = {};
                Copy(cap->card, c.card);
                Copy(cap->bus_info, c.bus);
                cap->capabilities = c.caps | (c.reportsDeviceCaps ? V4L2_CAP_DEVICE_CAPS : 0);
                cap->device_caps = c.reportsDeviceCaps ? c.caps : 0;
                return 0;
            }
            case VIDIOC_G_TUNER: {
                auto* tuner = static_cast<v4l2_tuner*>(argument);
                if (tuner->index >= c.tuners.size()) {
                    return -EINVAL;
                }
                const quint32 index = tuner->index;
                *tuner = {};
                tuner->index = index;
                tuner->type = c.tuners[index].type;
                tuner->capability = c.tuners[index].capability;
                tuner->signal = c.signal;
                return 0;
            }
            case VIDIOC_S_FREQUENCY: {
                const auto* frequency = static_cast<const v4l2_frequency*>(argument);
                if (frequency->tuner >= c.tuners.size() ||
                    frequency->type != c.tuners[frequency->tuner].type || c.rejectsFrequency) {
                    return -EINVAL;
                }
                c.frequencies.push_back(frequency->frequency);
                return 0;
            }
            case VIDIOC_G_FREQUENCY: {
                auto* frequency = static_cast<v4l2_frequency*>(argument);
                if (frequency->tuner >= c.tuners.size()) {
                    return -EINVAL;
                }
                frequency->type = c.tuners[frequency->tuner].type;
                frequency->frequency = c.frequencies.empty() ? 0 : c.frequencies.back();
                return 0;
            }
            case VIDIOC_QUERYCTRL: {
                auto* control = static_cast<v4l2_queryctrl*>(argument);
                if (control->id != V4L2_CID_AUDIO_MUTE || !c.hasMute) {
                    return -EINVAL;
                }
                control->type = V4L2_CTRL_TYPE_BOOLEAN;
                control->flags = c.muteFlags;
                return 0;
            }
            case VIDIOC_S_CTRL: {
                const auto* control = static_cast<const v4l2_control*>(argument);
                if (control->id != V4L2_CID_AUDIO_MUTE || !c.hasMute ||
                    (c.muteFlags & V4L2_CTRL_FLAG_DISABLED) != 0) {
                    return -EINVAL;
                }
                c.muteSets.push_back(control->value);
                return 0;
            }
            default:
                return -ENOTTY;
        }
    }

  private:
    template <size_t N>
    static void Copy(__u8 (&target)[N], const QString& text) {
        const QByteArray bytes = text.toUtf8();
        std::memcpy(target, bytes.constData(), std::min<size_t>(bytes.size(), N - 1));
    }

    std::shared_ptr<FakeTunerCard> card_;
};

// The device nodes of the simulated cards, in the order they were added.
class FakeV4l2Layer : public V4l2Layer {
  public:
    std::shared_ptr<FakeTunerCard> Add(std::shared_ptr<FakeTunerCard> card) {
        cards.push_back(card);
        return card;
    }

    QStringList TunerNodes() override {
        QStringList nodes;
        for (const auto& card : cards) {
            if (!card->vanished) {
                nodes << card->node;
            }
        }
        return nodes;
    }
    std::unique_ptr<V4l2Device> Open(const QString& node) override {
        for (const auto& card : cards) {
            if (card->node == node && !card->vanished) {
                return std::make_unique<FakeV4l2Device>(card);
            }
        }
        return nullptr;
    }
    QString AlsaCaptureDevice(const QString& node) override {
        for (const auto& card : cards) {
            if (card->node == node) {
                return card->alsaCapture;
            }
        }
        return {};
    }

    std::vector<std::shared_ptr<FakeTunerCard>> cards;
};
