#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "archive/playback_position.h"
#include "archive/recording_info.h"
#include "platform/wave_format.h"

class SPlay;
struct SoundDeviceSettings;

// The archive's player: opens a recording with the player for its kind,
// plays, stops and seeks it, follows the slider's drag (stopping and
// resuming around it) and reports what the panel shows: the position text
// and slider value, the level, and whether it plays. Players post their
// progress to this object. A device that fails while playing ends the
// playback with a message; a file that cannot be opened is named as such.
class ArchivePlayer : public QObject {
    Q_OBJECT
  public:
    explicit ArchivePlayer(const SoundDeviceSettings& sound, QObject* parent = nullptr);
    ~ArchivePlayer() override;

    // The recording to open when none is open (the tree's selection); empty
    // when there is none.
    void SetSelectedPath(std::function<QString()> selected) { selected_ = std::move(selected); }
    // Called with each recording that is opened (the recent-recordings list).
    void SetOpenedHook(std::function<void(const QString& path)> hook) { opened_ = std::move(hook); }

    // Opens the recording at position 0; false, with a message when the
    // file is there but cannot be played, when it cannot be opened.
    bool Open(const QString& path);
    // Opens the selected recording unless one is open; false when none is.
    bool OpenSelected();
    // Stops and releases the player.
    void Discard();

    void Play();
    void Stop();
    void Toggle();
    void SeekBy(SeekUnit unit, bool forward);
    // Moves to the time from the start (for the desktop's media controls).
    void SeekToTime(qint64 positionUs);

    // The slider: an arrow key's step, and a drag from press to release.
    void LineStep(bool forward, Qt::KeyboardModifiers modifiers);
    void ScrollStart();
    void ScrollMove(int sliderValue);
    void ScrollEnd(int sliderValue);

    bool playing() const { return playing_; }
    SPlay* player() const { return player_.get(); }
    const RecordingInfo& info() const { return info_; }
    QString path() const;
    qint64 PositionUs() const;
    const QString& positionText() const { return positionText_; }

  signals:
    // Opened, closed, playing or not.
    void stateChanged();
    // The position text and the slider's value (-1: leave the slider).
    void positionChanged(const QString& text, int sliderValue);
    // The level meter: on or off, and its values (right < 0 for mono).
    void levelChanged(bool on, int left, int right);
    // The position moved other than by playing.
    void seeked();

  protected:
    bool event(QEvent* event) override;

  private:
    void OnProgress();
    void ShowPosition();
    void ShowLevel();
    void SetPlaying(bool playing);
    // Sets the position while stopped and resumes if it was playing.
    void MoveTo(int64_t target, bool resume);

    const SoundDeviceSettings& sound_;
    std::function<QString()> selected_;
    std::function<void(const QString&)> opened_;
    std::unique_ptr<SPlay> player_;
    WaveFormat playedFormat_;  // the PCM the player sends to the device
    RecordingInfo info_;
    QString positionText_;
    bool playing_ = false;
    bool moved_ = false;       // the thumb moved while dragging
    bool wasPlaying_ = false;  // playing when the drag began
    int lastPeak_ = -1;
};
