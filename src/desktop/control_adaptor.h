#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QString>

class DesktopBus;
struct PlayerState;

// com.quillmoor.Plumora.Control: what a second start can hand over (mute,
// unmute, record, stop, tune), the tune and volume steps, and the state. A
// request that cannot be done gets an error reply.
class ControlAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.quillmoor.Plumora.Control")
    Q_PROPERTY(bool Muted READ muted)
    Q_PROPERTY(bool Recording READ recording)
    Q_PROPERTY(double Frequency READ frequency)
    Q_PROPERTY(QString Station READ station)
  public:
    ControlAdaptor(QObject* object, DesktopBus* bus);

    bool muted() const;
    bool recording() const;
    double frequency() const;
    QString station() const;

  public slots:
    void Mute(const QDBusMessage& call);
    void Unmute(const QDBusMessage& call);
    void Record(const QDBusMessage& call);
    void Stop(const QDBusMessage& call);
    // The text of the tune switch: "89.5", "54a" (AM) or an FM preset name.
    void Tune(const QString& station, const QDBusMessage& call);
    void TuneUp();
    void TuneDown();
    void VolumeUp();
    void VolumeDown();

  private:
    const PlayerState& State() const;

    DesktopBus* bus_;
};
