#include "radio/vendor_library_radios.h"

#include <QString>
#include <cmath>
#include <type_traits>

#include "platform/message_box.h"

namespace {

const QString kProductName = QStringLiteral("Plumora");
const QString kInitializationCaption = QStringLiteral("Radio initialization");
const QString kRadioCaption = QStringLiteral("radio");

void Tell(const QString& text, const QString& caption) {
    MessageBox(text, caption, MessageIcon::None);
}

// trunc(mhz * scale + bias), computed in double precision.
qint32 Steps(float mhz, double scale, double bias) {
    return static_cast<qint32>(std::trunc(static_cast<double>(mhz) * scale + bias));
}

}  // namespace

// --- SCadet ---

SCadet::SCadet(Clock& clock) : clock_(clock) {
    Load();
}

SCadet::~SCadet() = default;

void SCadet::Load() {
    if (library.loaded()) {
        return;
    }
    if (!LoadVendorModule(library, kLibraryName)) {
        Tell(QStringLiteral("Cannot open radio vendor's CADETIO.DLL file in directory\n    %1\n"
                            "Not present or already in use.")
                 .arg(VendorModuleDirectoryText()),
             kInitializationCaption);
        return;
    }
    bool complete = true;
    auto find = [&](const char* name, auto& function) {
        function = library.Find<std::remove_reference_t<decltype(function)>>(name);
        if (function == nullptr) {
            Tell(QStringLiteral("Cannot get cadetio.dll %1 function address").arg(name),
                 kProductName);
            complete = false;
        }
    };
    find("AmBand", amBand_);
    find("FmBand", fmBand_);
    find("IsTuned", isTuned_);
    find("Mute", mute_);
    find("UnMute", unMute_);
    find("SetStereo", setStereo_);
    find("SetTunerFrequency", setTunerFrequency_);
    if (!complete) {
        Tell(QStringLiteral("Cannot get one or more cadetio.dll function address"), kProductName);
        library.Unload();
    }
}

qint32 SCadet::SetFrequency(float mhz) {
    frequency = mhz;
    if (!library.loaded()) {
        return 0;
    }
    if (mhz > kBandLimitMhz && band != kFm) {
        fmBand_();
        clock_.SleepMs(kBandSwitchMs);
        band = kFm;
    } else if (mhz < kBandLimitMhz && band != kAm) {
        amBand_();
        clock_.SleepMs(kBandSwitchMs);
        band = kAm;
    }
    const qint32 kilohertz = Steps(mhz, 1000.0, 0.2);
    if (setTunerFrequency_(kilohertz) != 0) {
        clock_.SleepMs(kPauseMs);
        setTunerFrequency_(kilohertz);
    }
    return kilohertz;
}

bool SCadet::SetMute(bool mute) {
    muted = mute;
    if (library.loaded()) {
        if (mute) {
            mute_();
        } else {
            unMute_();
            setStereo_();
        }
    }
    return false;
}

bool SCadet::IsTuned() {
    if (!library.loaded()) {
        return false;
    }
    clock_.SleepMs(kPauseMs);
    qint32 state = isTuned_();
    if (state < 0) {  // not ready yet
        clock_.SleepMs(kBandSwitchMs);
        state = isTuned_();
    }
    return state > 0;
}

// --- SUsbRadio ---

namespace {

using SetFreqCall = qint32 (*)(qint32, qint32);
using PowerCall = qint32 (*)(qint32);
using StereoCall = qint32 (*)();

}  // namespace

SUsbRadio::~SUsbRadio() {
    SetMute(true);
}

void SUsbRadio::Load() {
    if (library.loaded()) {
        return;
    }
    if (!LoadVendorModule(library, kLibraryName)) {
        Tell(QStringLiteral("Cannot open radio manufacturer's radio.dll in Windows directory.\n"
                            "Not present or already in use."),
             kInitializationCaption);
        return;
    }
    if (GetFrequency() > 10) {
        SetFrequency(GetFrequency());
    }
}

qint32 SUsbRadio::SetFrequency(float mhz) {
    if (!library.loaded()) {
        frequency = mhz;
        return 0;
    }
    const auto setFreq = library.Find<SetFreqCall>("set_freq");
    if (setFreq == nullptr) {
        Tell(QStringLiteral("Cannot get set_freq function address"), kRadioCaption);
    }
    const qint32 steps = Steps(mhz, 20.0, 0.3);
    if (setFreq != nullptr) {
        setFreq(steps, 0);
    }
    frequency = mhz;
    if (IsMuted()) {
        SetMute(true);
    }
    return steps;
}

bool SUsbRadio::SetMute(bool mute) {
    muted = mute;
    if (mute) {
        if (library.loaded()) {
            if (const auto power = library.Find<PowerCall>("turn_power")) {
                power(0);
                IsTuned();
                power(0);
            }
        }
        library.Unload();
    } else if (!library.loaded()) {
        Load();
        if (library.loaded()) {
            if (const auto power = library.Find<PowerCall>("turn_power")) {
                power(1);
            }
        }
    }
    return false;
}

bool SUsbRadio::IsTuned() {
    if (!library.loaded()) {
        return false;
    }
    const auto stereo = library.Find<StereoCall>("get_stereo");
    return stereo != nullptr && stereo() != 0;
}

// --- SVoodoo3500 ---

namespace {

using InitCall = qint32 (*)();
using ValueCall = qint32 (*)(qint32);

ValueCall FindOrTell(const DynamicLibrary& library, const char* name, const char* shownName) {
    const auto function = library.Find<ValueCall>(name);
    if (function == nullptr) {
        Tell(QStringLiteral("Cannot get %1 function address").arg(shownName), kRadioCaption);
    }
    return function;
}

}  // namespace

SVoodoo3500::~SVoodoo3500() {
    Close();
}

bool SVoodoo3500::Open() {
    // Both libraries or none: a capture library without its tuner would
    // leave the radio playing a station it cannot change.
    if (!LoadVendorModule(captureLibrary, kCaptureLibraryName) ||
        !LoadVendorModule(tunerLibrary, kTunerLibraryName)) {
        captureLibrary.Unload();
        tunerLibrary.Unload();
        return false;
    }
    const auto initAudio = captureLibrary.Find<InitCall>("InitAudio");
    if (initAudio == nullptr) {
        Tell(QStringLiteral("Cannot get initaudio function address"), kRadioCaption);
    } else {
        initAudio();
    }
    if (const auto setTunerMode = FindOrTell(captureLibrary, "SetTunerMode", "settunermode")) {
        for (qint32 mode = 0; mode < kTunerModeCount; ++mode) {
            setTunerMode(mode);
        }
    }
    if (const auto muteAudio = FindOrTell(captureLibrary, "MuteAudio", "muteaudio")) {
        muteAudio(0);
    }
    return true;
}

void SVoodoo3500::Close() {
    if (captureLibrary.loaded()) {
        if (const auto setTunerMode = FindOrTell(captureLibrary, "SetTunerMode", "settunermode")) {
            setTunerMode(1);
        }
        if (const auto muteAudio = FindOrTell(captureLibrary, "MuteAudio", "muteaudio")) {
            muteAudio(1);
        }
    }
    captureLibrary.Unload();
    tunerLibrary.Unload();
}

qint32 SVoodoo3500::SetFrequency(float mhz) {
    frequency = mhz;
    if (!tunerLibrary.loaded()) {
        return 0;
    }
    const qint32 steps = Steps(mhz, 10.0, 0.4);
    const auto setRadioFreq = tunerLibrary.Find<ValueCall>("_SetRadioFreq@4");
    if (setRadioFreq == nullptr) {
        Tell(QStringLiteral("Cannot get setfreqency function address"), kRadioCaption);
    } else {
        setRadioFreq(steps);
    }
    return steps;
}

bool SVoodoo3500::SetMute(bool mute) {
    muted = mute;
    if (mute) {
        if (open()) {
            Close();
        }
        return true;
    }
    if (open()) {
        return true;
    }
    if (!Open()) {
        Tell(QStringLiteral("Cannot open radio manufacturer's dll in Windows system directory.\n"
                            "Not present or already in use."),
             kInitializationCaption);
        return false;
    }
    SetFrequency(frequency);
    return true;
}
