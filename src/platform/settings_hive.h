#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

class QSettings;

// The program's settings key in one of two hives, each an INI file:
//   machine-wide  <first XDG config dir>/Quillmoor/Loomstave.conf
//   per-user      <XDG config home>/Quillmoor/Loomstave.conf
// Values are either binary (bytes) or text. A value of the other kind, or one
// that cannot be read, is reported as missing so that callers fall back to
// their defaults.
class SettingsKey {
  public:
    enum class Hive { MachineWide, PerUser };

    ~SettingsKey();
    SettingsKey(const SettingsKey&) = delete;
    SettingsKey& operator=(const SettingsKey&) = delete;

    // The machine-wide key for reading and writing: only when its file
    // exists and may be written. Null otherwise.
    static std::unique_ptr<SettingsKey> OpenMachineWide();
    // The per-user key for reading; missing file reads as an empty key.
    static std::unique_ptr<SettingsKey> OpenPerUserReadOnly();
    // Create (or open) the key of a hive for writing. Null when the file or
    // its folder cannot be written.
    static std::unique_ptr<SettingsKey> Create(Hive hive);

    static QString FilePath(Hive hive);

    Hive hive() const { return hive_; }
    bool writable() const { return writable_; }

    std::optional<QByteArray> QueryBinary(const QString& name) const;
    std::optional<QString> QueryString(const QString& name) const;

    // Convenience readers: the exact size is required, otherwise the value
    // counts as missing.
    std::optional<quint8> QueryByte(const QString& name) const;
    std::optional<qint32> QueryInt32(const QString& name) const;

    bool SetBinary(const QString& name, const QByteArray& data);
    bool SetString(const QString& name, const QString& text);
    bool SetByte(const QString& name, quint8 value);
    bool SetInt32(const QString& name, qint32 value);
    bool DeleteValue(const QString& name);
    bool Contains(const QString& name) const;

    // Writes pending changes to disk; false when the file could not be
    // written. A line of the file the INI reader cannot parse is no failure:
    // the rewritten file leaves out what could not be read.
    bool Flush();

  private:
    SettingsKey(Hive hive, bool writable);

    Hive hive_;
    bool writable_;
    bool pending_ = false;
    std::unique_ptr<QSettings> settings_;
};

// True when the file may be written by this process and is not marked
// read-only (no write permission bit at all), so that a read-only machine-wide
// file is honoured even by the superuser.
bool IsWritableFile(const QString& path);
