#include "platform/settings_hive.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QtEndian>

#include "platform/xdg_paths.h"

namespace {

constexpr const char* kRelativePath = "/Quillmoor/Loomstave.conf";

bool IsWritableDir(const QString& dir) {
    return ::access(QFile::encodeName(dir).constData(), W_OK | X_OK) == 0;
}

// Identifies one version of a file: the settings are written to a new file
// that then replaces the old one, so a write that went through changes it.
struct FileVersion {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};
    off_t size = 0;

    bool operator==(const FileVersion& o) const {
        return exists == o.exists && device == o.device && inode == o.inode &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
               size == o.size;
    }
};

FileVersion VersionOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        return {};
    }
    return {true, st.st_dev, st.st_ino, st.st_mtim, st.st_size};
}

}  // namespace

bool IsWritableFile(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return false;
    }
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        return false;
    }
    return ::access(native.constData(), W_OK) == 0;
}

SettingsKey::SettingsKey(Hive hive, bool writable)
    : hive_(hive),
      writable_(writable),
      settings_(std::make_unique<QSettings>(FilePath(hive), QSettings::IniFormat)) {}

SettingsKey::~SettingsKey() {
    if (writable_) {
        settings_->sync();
    }
}

QString SettingsKey::FilePath(Hive hive) {
    const QString base = hive == Hive::MachineWide ? xdg::FirstConfigDir() : xdg::ConfigHome();
    return base + kRelativePath;
}

std::unique_ptr<SettingsKey> SettingsKey::OpenMachineWide() {
    if (!IsWritableFile(FilePath(Hive::MachineWide))) {
        return nullptr;
    }
    return std::unique_ptr<SettingsKey>(new SettingsKey(Hive::MachineWide, true));
}

std::unique_ptr<SettingsKey> SettingsKey::OpenPerUserReadOnly() {
    return std::unique_ptr<SettingsKey>(new SettingsKey(Hive::PerUser, false));
}

std::unique_ptr<SettingsKey> SettingsKey::Create(Hive hive) {
    const QString path = FilePath(hive);
    const QFileInfo info(path);
    if (info.exists()) {
        if (!IsWritableFile(path)) {
            return nullptr;
        }
    } else {
        const QString dir = info.absolutePath();
        if (!QDir().mkpath(dir) || !IsWritableDir(dir)) {
            return nullptr;
        }
    }
    return std::unique_ptr<SettingsKey>(new SettingsKey(hive, true));
}

std::optional<QByteArray> SettingsKey::QueryBinary(const QString& name) const {
    const QVariant value = settings_->value(name);
    if (value.typeId() != QMetaType::QByteArray) {
        return std::nullopt;
    }
    return value.toByteArray();
}

std::optional<QString> SettingsKey::QueryString(const QString& name) const {
    const QVariant value = settings_->value(name);
    if (value.typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    return value.toString();
}

std::optional<quint8> SettingsKey::QueryByte(const QString& name) const {
    const auto data = QueryBinary(name);
    if (!data || data->size() != 1) {
        return std::nullopt;
    }
    return static_cast<quint8>(data->at(0));
}

std::optional<qint32> SettingsKey::QueryInt32(const QString& name) const {
    const auto data = QueryBinary(name);
    if (!data || data->size() != 4) {
        return std::nullopt;
    }
    return qFromLittleEndian<qint32>(data->constData());
}

bool SettingsKey::SetBinary(const QString& name, const QByteArray& data) {
    if (!writable_) {
        return false;
    }
    settings_->setValue(name, data);
    pending_ = true;
    return true;
}

bool SettingsKey::SetString(const QString& name, const QString& text) {
    if (!writable_) {
        return false;
    }
    settings_->setValue(name, text);
    pending_ = true;
    return true;
}

bool SettingsKey::SetByte(const QString& name, quint8 value) {
    return SetBinary(name, QByteArray(1, static_cast<char>(value)));
}

bool SettingsKey::SetInt32(const QString& name, qint32 value) {
    QByteArray data(4, '\0');
    qToLittleEndian<qint32>(value, data.data());
    return SetBinary(name, data);
}

bool SettingsKey::DeleteValue(const QString& name) {
    if (!writable_) {
        return false;
    }
    settings_->remove(name);
    pending_ = true;
    return true;
}

bool SettingsKey::Contains(const QString& name) const {
    return settings_->contains(name);
}

bool SettingsKey::Flush() {
    if (!writable_) {
        return false;
    }
    const QString path = settings_->fileName();
    const FileVersion before = VersionOf(path);
    const QSettings::Status earlier = settings_->status();
    settings_->sync();
    const QSettings::Status now = settings_->status();
    bool written;
    if (now == QSettings::NoError) {
        written = true;
    } else if (now == QSettings::AccessError && earlier == QSettings::NoError) {
        written = false;
    } else {
        // Once the reader met a line it cannot parse (or an earlier write
        // failed), the status stays at that and no longer tells whether this
        // write went through; the file itself does.
        written = !pending_ || !(VersionOf(path) == before);
    }
    if (written) {
        pending_ = false;
    }
    return written;
}
