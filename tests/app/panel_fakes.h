#pragma once

#include <unistd.h>

#include <QThread>
#include <cmath>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/local_messaging.h"
#include "platform/mixer_backend.h"
#include "radio/sradio.h"
#include "radio/tuner_sharing.h"

// A radio that records what the panel asks of it. Stations are received
// within 0.02 MHz of the frequencies listed; without a list it senses no
// signal at all.
class RecordingRadio : public SRadio {
  public:
    struct Log {
        std::vector<float> tuned;
        std::vector<bool> mutes;
        int volumeSteps = 0;
    };

    RecordingRadio(Log& log, bool hasAm, std::vector<float> stations, bool stepsVolume)
        : log_(log), hasAm_(hasAm), stations_(std::move(stations)), stepsVolume_(stepsVolume) {}

    qint32 SetFrequency(float mhz) override {
        frequency = mhz;
        log_.tuned.push_back(mhz);
        return 7;
    }
    bool SetMute(bool mute) override {
        muted = mute;
        log_.mutes.push_back(mute);
        return true;
    }
    bool StepVolume(bool) override {
        ++log_.volumeSteps;
        return stepsVolume_;
    }
    bool IsTuned() override {
        for (float station : stations_) {
            if (std::fabs(frequency - station) < 0.02f) {
                return true;
            }
        }
        return false;
    }
    bool HasAmBand() override { return hasAm_; }
    bool SensesSignal() override { return !stations_.empty(); }

  private:
    Log& log_;
    bool hasAm_;
    std::vector<float> stations_;
    bool stepsVolume_;
};

// A mixer with one playback line and one recording line. Writing to its
// event pipe stands for a change made by another program.
class FakePanelMixer : public MixerBackend {
  public:
    int id;
    bool failing = false;  // the card went away
    int takes = 0;         // how often the events were taken
    std::vector<MixerLine> playbackLines;
    std::vector<MixerVolume> playbackVolumes;
    std::vector<bool> playbackMutes;

    explicit FakePanelMixer(int mixerId) : id(mixerId) {
        if (pipe(pipe_) != 0) {
            pipe_[0] = pipe_[1] = -1;
        }
    }
    ~FakePanelMixer() override {
        close(pipe_[0]);
        close(pipe_[1]);
    }

    void AddPlaybackLine(MixerLine line, long max, long value) {
        playbackLines.push_back(std::move(line));
        playbackVolumes.push_back({0, max, value});
        playbackMutes.push_back(false);
    }
    // Another program changes line i.
    void ChangeFromOutside(int i, long value) {
        playbackVolumes[static_cast<size_t>(i)].value = value;
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = write(pipe_[1], &byte, 1);
    }

    int Id() const override { return id; }
    std::string DestinationName(MixerDestination) const override { return "Master"; }
    int SourceCount(MixerDestination destination) const override {
        return destination == MixerDestination::kPlayback ? static_cast<int>(playbackLines.size())
                                                          : 0;
    }
    std::optional<MixerLine> Source(MixerDestination destination, int index) const override {
        if (!Valid(destination, index)) {
            return std::nullopt;
        }
        return playbackLines[static_cast<size_t>(index)];
    }
    std::optional<MixerVolume> GetVolume(MixerDestination destination, int index) const override {
        if (!Valid(destination, index)) {
            return std::nullopt;
        }
        return playbackVolumes[static_cast<size_t>(index)];
    }
    bool SetVolume(MixerDestination destination, int index, long value) override {
        if (!Valid(destination, index)) {
            return false;
        }
        playbackVolumes[static_cast<size_t>(index)].value = value;
        return true;
    }
    std::optional<bool> GetMute(MixerDestination destination, int index) const override {
        if (!Valid(destination, index)) {
            return std::nullopt;
        }
        return playbackMutes[static_cast<size_t>(index)];
    }
    bool SetMute(MixerDestination destination, int index, bool mute) override {
        if (!Valid(destination, index)) {
            return false;
        }
        playbackMutes[static_cast<size_t>(index)] = mute;
        return true;
    }
    std::optional<std::vector<MixerSelectorItem>> GetSelector() const override {
        return std::nullopt;
    }
    bool SetSelector(const std::vector<bool>&) override { return false; }

    int EventDescriptor() const override { return pipe_[0]; }
    int TakeEvents() override {
        ++takes;
        if (failing) {
            return -1;  // the descriptor stays readable, as a vanished card's does
        }
        char buffer[16];
        const ssize_t n = read(pipe_[0], buffer, sizeof buffer);
        return n < 0 ? -1 : static_cast<int>(n);
    }

  private:
    bool Valid(MixerDestination destination, int index) const {
        return destination == MixerDestination::kPlayback && index >= 0 &&
               index < static_cast<int>(playbackLines.size());
    }

    int pipe_[2];
};

// A mixer that hands every call to a fake the test keeps, so that the
// panel may open and close it as often as it likes.
class MixerView : public MixerBackend {
  public:
    explicit MixerView(MixerBackend& mixer) : mixer_(mixer) {}
    int Id() const override { return mixer_.Id(); }
    std::string DestinationName(MixerDestination d) const override {
        return mixer_.DestinationName(d);
    }
    int SourceCount(MixerDestination d) const override { return mixer_.SourceCount(d); }
    std::optional<MixerLine> Source(MixerDestination d, int i) const override {
        return mixer_.Source(d, i);
    }
    std::optional<MixerVolume> GetVolume(MixerDestination d, int i) const override {
        return mixer_.GetVolume(d, i);
    }
    bool SetVolume(MixerDestination d, int i, long v) override { return mixer_.SetVolume(d, i, v); }
    std::optional<bool> GetMute(MixerDestination d, int i) const override {
        return mixer_.GetMute(d, i);
    }
    bool SetMute(MixerDestination d, int i, bool m) override { return mixer_.SetMute(d, i, m); }
    std::optional<std::vector<MixerSelectorItem>> GetSelector() const override {
        return mixer_.GetSelector();
    }
    bool SetSelector(const std::vector<bool>& s) override { return mixer_.SetSelector(s); }
    int EventDescriptor() const override { return mixer_.EventDescriptor(); }
    int TakeEvents() override { return mixer_.TakeEvents(); }

  private:
    MixerBackend& mixer_;
};

// The TV application as far as the program sees it: a local server under
// its name that answers every message with a fixed reply, on a thread of
// its own since the question blocks the asking thread.
class FakeTvApplication {
  public:
    explicit FakeTvApplication(qint32 reply) {
        thread_.start();
        context_.moveToThread(&thread_);
        QMetaObject::invokeMethod(
            &context_,
            [this, reply] {
                server_ = new LocalMessageServer(kTvApplicationServer,
                                                 [this, reply](const LocalMessage& m) {
                                                     std::lock_guard lock(mutex_);
                                                     received_.push_back(m);
                                                     return reply;
                                                 });
                listening_ = server_->Listen();
            },
            Qt::BlockingQueuedConnection);
    }
    ~FakeTvApplication() {
        QThread* owner = QThread::currentThread();
        QMetaObject::invokeMethod(
            &context_,
            [this, owner] {
                delete server_;
                context_.moveToThread(owner);
            },
            Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
    }
    bool listening() const { return listening_; }
    size_t questions() {
        std::lock_guard lock(mutex_);
        return received_.size();
    }

  private:
    QThread thread_;
    QObject context_;
    LocalMessageServer* server_ = nullptr;
    bool listening_ = false;
    std::mutex mutex_;
    std::vector<LocalMessage> received_;
};
