#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

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
//
// The output device opens on a thread of its own, so Play and a resume
// after a seek return at once: while the device opens the player counts as
// playing, its position and length come from what was known before, and a
// Stop, a seek, another Play or a discard only change what happens once the
// open has returned (a device no longer wanted is closed then, and a
// failure no longer wanted is not shown). Progress messages count only
// while the device runs by the last command given.
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
    // Stops and releases the player. One still opening its device is
    // closed and released once the open has returned.
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

    // Playing, or opening the device to play.
    bool playing() const { return playing_; }
    // The device is being opened.
    bool opening() const { return opening_; }
    SPlay* player() const { return player_.get(); }
    const RecordingInfo& info() const { return info_; }
    QString path() const;
    qint64 PositionUs() const;
    qint64 LengthUs() const;
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
    // Goes to the byte position, playing on from there if it played.
    void SeekTo(int64_t target);
    void MoveTo(int64_t target, bool resume);
    // Opens the device and starts playing on a thread of its own.
    void StartOpen();
    // The open of that player returned; on the user-interface thread.
    void OnOpened(SPlay* player, bool played);
    void ShowPlayFailure();
    // A seek while the device opens: taken once the open has returned.
    void SeekWhileOpening(int64_t target);
    // What the player says, or while it opens what was known before.
    int64_t Position() const;
    int64_t Length() const;
    uint32_t BytesPerSecond() const;

    const SoundDeviceSettings& sound_;
    std::function<QString()> selected_;
    std::function<void(const QString&)> opened_;
    std::unique_ptr<SPlay> player_;
    WaveFormat playedFormat_;  // the PCM the player sends to the device
    RecordingInfo info_;
    QString positionText_;
    bool playing_ = false;
    bool running_ = false;           // the device runs by the last command given
    bool opening_ = false;           // player_ is opening its device
    bool wanted_ = false;            // play once the open returns
    std::optional<int64_t> target_;  // the position to take once the open returns
    // Known before the open: the file, its length and rate, the position.
    std::string fileName_;
    int64_t length_ = 0;
    uint32_t bytesPerSecond_ = 0;
    int64_t openedAt_ = 0;
    std::map<SPlay*, std::thread> opens_;          // opens under way
    std::vector<std::unique_ptr<SPlay>> dropped_;  // discarded while opening
    bool moved_ = false;                           // the thumb moved while dragging
    bool wasPlaying_ = false;                      // playing when the drag began
    int lastPeak_ = -1;
};
