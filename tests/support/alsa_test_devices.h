#pragma once

#include <alsa/asoundlib.h>
#include <sys/stat.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdlib>
#include <string>

// Sound devices for tests, made of ALSA's file plugin on its null plugin: a
// capture device reads a raw file, a playback device writes one. While
// alive, ALSA reads a configuration of these devices only
// (ALSA_CONFIG_PATH); ALSA's cached configuration is dropped on both ends.
//
//   kCapture          reads capture.raw
//   kPlayback         writes playback.raw
//   kPacedPlayback    writes to the named pipe paced.fifo; it blocks until
//                     somebody reads the pipe
//   kFailingCapture   reads capture.raw, but every write of the plugin's
//                     copy fails, so reading fails with an I/O error after
//                     the first half second of data
//   kFailingPlayback  writes to /dev/full: every write fails, so playing
//                     fails with an I/O error
//   kMissing          a listed device that cannot be opened: the device it
//                     passes its data to does not exist
//   kSilentCapture    reads the named pipe silent.fifo; its open does not
//                     return until somebody opens the pipe for writing
//   "default"         reads default.raw, writes default_out.raw
class AlsaTestDevices {
  public:
    static constexpr const char* kCapture = "plumora_capture";
    static constexpr const char* kPlayback = "plumora_playback";
    static constexpr const char* kPacedPlayback = "plumora_paced";
    static constexpr const char* kFailingCapture = "plumora_failing";
    static constexpr const char* kFailingPlayback = "plumora_failing_out";
    static constexpr const char* kMissing = "plumora_missing";
    static constexpr const char* kSilentCapture = "plumora_silent";

    AlsaTestDevices() {
        const char* previous = std::getenv("ALSA_CONFIG_PATH");
        hadPrevious_ = previous != nullptr;
        if (hadPrevious_) {
            previous_ = previous;
        }
        WriteFile("capture.raw", {});
        WriteFile("default.raw", {});
        mkfifo(Path("paced.fifo").toLocal8Bit().constData(), 0600);
        mkfifo(Path("silent.fifo").toLocal8Bit().constData(), 0600);
        const QString config =
            Device(kCapture, "Test capture", "/dev/null", Path("capture.raw")) +
            Device(kPlayback, "Test playback", Path("playback.raw"), {}) +
            Device(kPacedPlayback, "Paced playback", Path("paced.fifo"), {}) +
            Device(kFailingCapture, "Failing capture", "/dev/full", Path("capture.raw")) +
            Device(kFailingPlayback, "Failing playback", "/dev/full", {}) +
            Device("default", {}, Path("default_out.raw"), Path("default.raw")) +
            Device(kSilentCapture, "Silent capture", "/dev/null", Path("silent.fifo")) +
            QStringLiteral(
                "pcm.%1 {\n  type file\n  slave.pcm \"plumora_unplugged\"\n"
                "  file \"/dev/null\"\n  hint { description \"Unplugged device\" }\n}\n")
                .arg(kMissing);
        WriteFile("asound.conf", config.toUtf8());
        snd_config_update_free_global();
        setenv("ALSA_CONFIG_PATH", Path("asound.conf").toLocal8Bit().constData(), 1);
    }

    ~AlsaTestDevices() {
        if (hadPrevious_) {
            setenv("ALSA_CONFIG_PATH", previous_.c_str(), 1);
        } else {
            unsetenv("ALSA_CONFIG_PATH");
        }
        snd_config_update_free_global();
    }

    AlsaTestDevices(const AlsaTestDevices&) = delete;
    AlsaTestDevices& operator=(const AlsaTestDevices&) = delete;

    QString Path(const QString& file) const { return dir_.filePath(file); }

    // What the capture devices read; set before the device is opened.
    void SetCaptureInput(const QByteArray& data) { WriteFile("capture.raw", data); }
    void SetDefaultInput(const QByteArray& data) { WriteFile("default.raw", data); }

    // What the playback devices wrote; complete once the device is closed.
    QByteArray PlaybackOutput() const { return ReadFile("playback.raw"); }
    QByteArray DefaultOutput() const { return ReadFile("default_out.raw"); }

  private:
    static QString Device(const QString& name, const QString& description, const QString& output,
                          const QString& input) {
        QString text = QStringLiteral(
                           "pcm.%1 {\n  type file\n  slave.pcm { type null }\n"
                           "  format \"raw\"\n  file \"%2\"\n")
                           .arg(name, output);
        if (!input.isEmpty()) {
            text += QStringLiteral("  infile \"%1\"\n").arg(input);
        }
        if (!description.isEmpty()) {
            text += QStringLiteral("  hint { description \"%1\" }\n").arg(description);
        }
        return text + QStringLiteral("}\n");
    }

    void WriteFile(const QString& name, const QByteArray& data) const {
        QFile file(Path(name));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            file.write(data);
        }
    }

    QByteArray ReadFile(const QString& name) const {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir_;
    bool hadPrevious_ = false;
    std::string previous_;
};
