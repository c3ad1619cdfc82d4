#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "archive/archive_listing.h"
#include "archive/playback_position.h"
#include "archive/recording_info.h"
#include "platform/wave_format.h"

class ArchiveTree;
class PositionSlider;
class QLabel;
class QPushButton;
class QTreeWidgetItem;
class SMeter;
class SPlay;
struct RecordingFileSettings;
struct SoundDeviceSettings;

// The Archive tab: the recordings of the recording directory as a tree of
// groups, with a player (Play/Stop, position slider and text, level meter),
// the details of a recording, deleting and dragging recordings out.
class TArchDialog : public QWidget {
    Q_OBJECT
  public:
    // files: the recording directory; sound: the output device. Both are
    // read whenever they are needed, so changed settings apply at once.
    TArchDialog(const RecordingFileSettings& files, const SoundDeviceSettings& sound,
                QWidget* parent = nullptr);
    ~TArchDialog() override;

    // The times of the event a group is named after.
    void SetEventLookup(ArchiveEventLookup lookup) { events_ = std::move(lookup); }
    // True while this program records into the file.
    void SetRecordingCheck(std::function<bool(const QString& path)> check) {
        isRecording_ = std::move(check);
    }
    // Called with each recording that is opened (the recent-recordings list).
    void SetOpenedHook(std::function<void(const QString& path)> hook) { opened_ = std::move(hook); }
    // Called for F1.
    void SetHelpHook(std::function<void()> hook) { help_ = std::move(hook); }

    // Rebuilds the tree and selects the recording playing, else the one
    // selected before.
    void RefreshArchive();
    // Opens the recording (from the recent-recordings list) and plays it.
    void OpenRecording(const QString& path);

    void Play();
    void Stop();
    void Toggle();
    void SeekBy(SeekUnit unit, bool forward);
    void Info();
    void Delete();

    // Full path of the selected recording; empty for a group, no selection,
    // or a file that is gone.
    QString SelectedRecording() const;
    bool playing() const { return playing_; }
    SPlay* player() const { return player_.get(); }
    const RecordingInfo& recordingInfo() const { return info_; }
    QString positionText() const;

    ArchiveTree* tree() const { return tree_; }
    QPushButton* playButton() const { return play_; }
    QPushButton* stopButton() const { return stop_; }
    QPushButton* infoButton() const { return info_button_; }
    QPushButton* deleteButton() const { return delete_; }
    PositionSlider* slider() const { return slider_; }
    SMeter* levelMeter() const { return meter_; }

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QString PathOfItem(QTreeWidgetItem* item) const;
    bool OpenPath(const QString& path);
    bool OpenSelectedRecording();
    bool SelectedIsPlayerFile() const;
    void DiscardPlayer();
    void UpdatePosition();
    void UpdateMeter();
    void ShowPlaying(bool playing);
    void Select(const QString& path);
    void OnSelectionChanged();
    void OnProgress();
    void OnCommand(unsigned id);
    // Slider notifications.
    void OnLineStep(bool forward, Qt::KeyboardModifiers modifiers);
    void OnScrollStart();
    void OnScrollMove(int value);
    void OnScrollEnd();
    void OnSliderAction(int action);

    const RecordingFileSettings& files_;
    const SoundDeviceSettings& sound_;
    ArchiveEventLookup events_;
    std::function<bool(const QString&)> isRecording_;
    std::function<void(const QString&)> opened_;
    std::function<void()> help_;

    ArchiveTree* tree_;
    QPushButton* info_button_;
    QPushButton* delete_;
    QPushButton* play_;
    QPushButton* stop_;
    PositionSlider* slider_;
    QLabel* position_;
    SMeter* meter_;

    std::unique_ptr<SPlay> player_;
    WaveFormat playedFormat_;  // the PCM the player sends to the device
    RecordingInfo info_;
    bool playing_ = false;
    bool refreshing_ = false;
    bool moved_ = false;       // the thumb moved while dragging
    bool wasPlaying_ = false;  // playing when the drag began
    bool scrolling_ = false;
    int lastPeak_ = -1;
};
