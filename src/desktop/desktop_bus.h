#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include "desktop/player_state.h"

class QDBusMessage;

// What a caller of the bus asks of the radio: the actions a second start of
// the program hands over.
enum class RadioAction { kMute, kUnmute, kRecord, kStopRecord, kTune };

// The steps the bus offers besides the actions.
enum class BusCommand {
    kNextPreset,
    kPreviousPreset,
    kTuneUp,
    kTuneDown,
    kVolumeUp,
    kVolumeDown,
    kStopPlayback
};

// Why a request cannot be done: a D-Bus error name and a text for the user.
struct BusRefusal {
    QString error;
    QString message;
};

// The running program on the session bus: the media player
// "org.mpris.MediaPlayer2.Plumora" (object /org/mpris/MediaPlayer2) and the
// program's own name with its control interface (object
// /com/quillmoor/Plumora). It reads the state through a hook when it is
// told that something changed (Refresh) and tells the bus what did; it
// never polls. Every request is handed on through the hooks.
class DesktopBus : public QObject {
    Q_OBJECT
  public:
    static constexpr const char* kMprisName = "org.mpris.MediaPlayer2.Plumora";
    static constexpr const char* kMprisPath = "/org/mpris/MediaPlayer2";
    static constexpr const char* kControlPath = "/com/quillmoor/Plumora";
    static constexpr const char* kControlInterface = "com.quillmoor.Plumora.Control";

    struct Hooks {
        std::function<PlayerState()> state;
        std::function<void(BusCommand)> command;
        // Hands one action over; a refusal when it cannot be done (nothing
        // is handed over then).
        std::function<std::optional<BusRefusal>(RadioAction, const QString& tuneText)> act;
        // The radio's volume in percent, 0 to 100.
        std::function<void(int percent)> setVolume;
        // Moves the archive's open recording to the position.
        std::function<void(qint64 positionUs)> seekTo;
        std::function<void()> raise;
        std::function<void()> quit;
    };

    explicit DesktopBus(Hooks hooks, QObject* parent = nullptr);
    ~DesktopBus() override;

    // Puts both objects and names on the bus. False, silently, when the bus
    // is not connected; a name another program owns is left to it.
    bool Start(const QDBusConnection& bus);
    bool started() const { return started_; }

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
    void Command(BusCommand command);
    // Hands the action over, or answers the call with the refusal.
    void Act(RadioAction action, const QString& tuneText, const QDBusMessage& call);
    void SetVolume(double volume);
    void Seek(qint64 offsetUs);
    void SetPosition(const QString& trackId, qint64 positionUs);

  public slots:
    // Reads the state now and announces what changed.
    void Refresh();
    // The open recording moved to the position other than by playing.
    void AnnounceSeek(qint64 positionUs);

  signals:
    void seeked(qint64 positionUs);

  private:
    void Hand(RadioAction action);
    void AnnounceChanges(const PlayerState& before);

    Hooks hooks_;
    QDBusConnection bus_;
    PlayerState state_;
    bool started_ = false;
    QObject* controlObject_ = nullptr;
};
