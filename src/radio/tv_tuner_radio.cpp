#include "radio/tv_tuner_radio.h"

#include <cmath>
#include <utility>

#include "audio/log.h"
#include "platform/message_box.h"

STvDM::STvDM(QString deviceName, bool radioMode, bool quiet, QString outputDevice, V4l2Layer& v4l2,
             Clock& clock)
    : deviceName(std::move(deviceName)),
      outputDevice(std::move(outputDevice)),
      radioMode_(radioMode),
      quiet_(quiet),
      passthrough([](const std::string& reason) {
          LogWarning("tuner sound not played: %s", reason.c_str());
      }),
      v4l2_(v4l2),
      clock_(clock) {}

STvDM::~STvDM() {
    TearDown();
}

QString STvDM::PlaybackDevice() const {
    if (outputDevice.isEmpty() || outputDevice == QLatin1String("<default>") ||
        outputDevice == QLatin1String("-1")) {
        return QStringLiteral("default");
    }
    return outputDevice;
}

qint64 STvDM::TuningHertz(float mhz) {
    if (!(mhz > 0.0f)) {
        return 0;
    }
    const qint64 kilohertz = std::llround(static_cast<double>(mhz) * 1000.0);
    return kilohertz / 100 * 100000;
}

void STvDM::Build() {
    if (tuner) {
        return;
    }
    QString node;
    for (const V4l2RadioTunerInfo& info : EnumerateRadioTuners(v4l2_)) {
        if (!deviceName.isEmpty() && !info.cardName.startsWith(deviceName, Qt::CaseInsensitive)) {
            continue;
        }
        tuner = V4l2RadioTuner::Open(v4l2_, info.node);
        if (!tuner) {
            continue;
        }
        if (deviceName.isEmpty()) {
            deviceName = info.cardName;
        }
        node = info.node;
        break;
    }
    if (!tuner) {
        MessageBox(QStringLiteral("Cannot create capture filter"),
                   QStringLiteral("Plumora tuner find"), MessageIcon::None);
        return;
    }

    const QString capture = v4l2_.AlsaCaptureDevice(node);
    if (!capture.isEmpty()) {
        // Opens beside this thread; a failure is logged when it comes.
        passthrough.Start(capture.toStdString(), PlaybackDevice().toStdString());
    }

    directMode_ = tuner->FrequencyHz().has_value() && tuner->SetFrequencyHz(kFirstFrequencyHz);
    cardMute_ = tuner->HasMute();
    if (cardMute_) {
        tuner->SetMute(false);
    }
    if (!directMode_) {
        MessageBox(QStringLiteral("Cannot find necessary controls for this radio."),
                   QStringLiteral("Plumora"), MessageIcon::None);
    }
    if (GetFrequency() > 10) {
        SetFrequency(GetFrequency());
    }
}

void STvDM::TearDown() {
    if (!tuner) {
        return;
    }
    if (cardMute_) {
        tuner->SetMute(true);
    }
    passthrough.Stop();
    tuner.reset();
    directMode_ = false;
    cardMute_ = false;
    clock_.SleepMs(kCloseWaitMs);
}

qint32 STvDM::SetFrequency(float mhz) {
    frequency = mhz;
    if (!tuner || !directMode_) {
        return 0;
    }
    return tuner->SetFrequencyHz(TuningHertz(mhz)) ? 1 : 0;
}

bool STvDM::SetMute(bool mute) {
    muted = mute;
    if (mute) {
        TearDown();
    } else {
        Build();
    }
    return false;
}

bool STvDM::IsTuned() {
    if (!tuner) {
        return false;
    }
    const auto signal = tuner->Signal();
    return signal.has_value() && *signal > 0;
}

QStringList TunerCaptureDeviceNames(V4l2Layer& layer) {
    QStringList names;
    for (const V4l2RadioTunerInfo& info : EnumerateRadioTuners(layer)) {
        names << info.cardName;
    }
    return names;
}
