#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "archive/archive_listing.h"
#include "archive/playback_position.h"
#include "archive/recording_info.h"

class ArchivePlayer;
class ArchiveTree;
class PositionSlider;
class QFileSystemWatcher;
class QLabel;
class QPushButton;
class SMeter;
class SPlay;
struct RecordingFileSettings;
struct SoundDeviceSettings;

// The Archive tab: the recordings of the recording directory as a tree of
// groups (ArchiveTree), with a player (ArchivePlayer: Play/Stop, position
// slider and text, level meter), the details of a recording, deleting
// (DeleteRecording), a context menu and dragging recordings out. Files that
// other programs add or remove show up while the tab is shown.
class TArchDialog : public QWidget {
    Q_OBJECT
  public:
    // How long the directory must stay quiet before the tree is rebuilt.
    static constexpr int kWatchQuietMs = 300;

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
    void SetOpenedHook(std::function<void(const QString& path)> hook);
    // Called for F1.
    void SetHelpHook(std::function<void()> hook) { help_ = std::move(hook); }

    // Rebuilds the tree; open groups stay open, and the recording playing,
    // else the one selected before, is selected again.
    void RefreshArchive();
    // Opens the recording (from the recent-recordings list) and plays it.
    void OpenRecording(const QString& path);

    void Play();
    void Stop();
    void Toggle();
    void SeekBy(SeekUnit unit, bool forward);
    void Info();
    // Asks, then deletes the selected recording.
    void Delete();
    // The containing folder of the selected recording in the file manager.
    void OpenContainingFolder();

    // Full path of the selected recording; empty for a group, no selection,
    // or a file that is gone.
    QString SelectedRecording() const;
    bool playing() const;
    SPlay* player() const;
    const RecordingInfo& recordingInfo() const;
    QString positionText() const;
    ArchivePlayer& playerControl() const { return *player_; }

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
    void ShowPlaying();
    void ShowPosition(const QString& text, int sliderValue);
    void ShowLevel(bool on, int left, int right);
    void OnSelectionChanged();
    bool SelectedIsPlayerFile() const;
    void OnCommand(unsigned id);
    void OnSliderAction(int action);
    void ShowContextMenu(const QPoint& at);
    void WatchDirectory();
    void OnDirectoryChanged();

    const RecordingFileSettings& files_;
    ArchiveEventLookup events_;
    std::function<bool(const QString&)> isRecording_;
    std::function<void()> help_;

    ArchiveTree* tree_;
    QPushButton* info_button_;
    QPushButton* delete_;
    QPushButton* play_;
    QPushButton* stop_;
    PositionSlider* slider_;
    QLabel* position_;
    SMeter* meter_;
    ArchivePlayer* player_;
    QFileSystemWatcher* watcher_;
    QTimer watchQuiet_;

    bool refreshing_ = false;
    bool scrolling_ = false;
    bool filled_ = false;  // the tree was filled once
};
