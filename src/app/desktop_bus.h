#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

#include "app/action_block.h"
#include "app/player_state.h"

// The running program on the session bus: the media player
// "org.mpris.MediaPlayer2.Plumora" (object /org/mpris/MediaPlayer2) and the
// program's own name with its control interface (object
// /com/quillmoor/Plumora). It reads the state through a hook, polls it and
// tells the bus what changed; every request is handed on through the hooks
// as the command a button or a second start would give.
class DesktopBus : public QObject {
    Q_OBJECT
  public:
    static constexpr const char* kMprisName = "org.mpris.MediaPlayer2.Plumora";
    static constexpr const char* kMprisPath = "/org/mpris/MediaPlayer2";
    static constexpr const char* kControlPath = "/com/quillmoor/Plumora";
    static constexpr const char* kControlInterface = "com.quillmoor.Plumora.Control";

    struct Hooks {
        std::function<PlayerState()> state;
        // A command id of the radio panel (cmd::...).
        std::function<void(unsigned id)> command;
        // A command id for the archive panel (playback).
        std::function<void(unsigned id)> archiveCommand;
        // The actions a second start hands over.
        std::function<void(const ActionBlock&)> actions;
        std::function<void()> raise;
        std::function<void()> quit;
    };

    explicit DesktopBus(Hooks hooks, QObject* parent = nullptr);
    ~DesktopBus() override;

    // Puts both objects and names on the bus. False, silently, when the bus
    // is not connected; a name another program owns is left to it.
    bool Start(const QDBusConnection& bus);
    bool started() const { return started_; }

    // Reads the state now and announces what changed.
    void Refresh();
    const PlayerState& state() const { return state_; }

    // Requests of both interfaces.
    void TogglePlay();
    void Play();
    void Pause();
    void StopPlaying();
    void Next();
    void Previous();
    void Raise();
    void Quit();
    void Hand(uint32_t actionFlags, const QString& tuneText = QString());
    void Command(unsigned id);

  signals:
    void seeked(qint64 positionUs);

  private:
    void RefreshSoon();
    void AnnounceChanges(const PlayerState& before);

    Hooks hooks_;
    QDBusConnection bus_;
    QTimer poll_;
    PlayerState state_;
    bool started_ = false;
    QObject* controlObject_ = nullptr;
};
