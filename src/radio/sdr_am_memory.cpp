#include "radio/sdr_am_memory.h"

#include <QStringList>
#include <memory>

#include "platform/settings_hive.h"

namespace sdr_am_memory {

namespace {

QStringList Entries(const QString& stored) {
    return stored.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString Stored() {
    std::unique_ptr<SettingsKey> key = SettingsKey::OpenMachineWide();
    if (!key) {
        key = SettingsKey::OpenPerUserReadOnly();
    }
    return key->QueryString(QString::fromLatin1(kValueName)).value_or(QString());
}

}  // namespace

QString Updated(const QString& stored, const QString& port, bool covers) {
    QStringList entries = Entries(stored);
    entries.removeAll(port);
    if (covers && !port.isEmpty() && !port.contains(QLatin1Char('\n'))) {
        entries.append(port);
    }
    while (entries.size() > kMostReceivers) {
        entries.removeFirst();
    }
    return entries.join(QLatin1Char('\n'));
}

bool Lists(const QString& stored, const QString& port) {
    return !port.isEmpty() && Entries(stored).contains(port);
}

bool Remembered(const QString& port) {
    return Lists(Stored(), port);
}

void Remember(const QString& port, bool covers) {
    const QString stored = Stored();
    if (Lists(stored, port) == covers) {
        return;
    }
    const QString updated = Updated(stored, port, covers);
    for (const auto hive : {SettingsKey::Hive::PerUser, SettingsKey::Hive::MachineWide}) {
        if (hive == SettingsKey::Hive::MachineWide && !SettingsKey::OpenMachineWide()) {
            continue;  // written only where it exists and may be written
        }
        if (std::unique_ptr<SettingsKey> key = SettingsKey::Create(hive)) {
            key->SetString(QString::fromLatin1(kValueName), updated);
            key->Flush();
        }
    }
}

}  // namespace sdr_am_memory
