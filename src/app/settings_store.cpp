#include "app/settings_store.h"

#include "app/settings_records.h"
#include "platform/message_box.h"
#include "platform/settings_hive.h"

namespace settings_store {
namespace {

void WriteAll(SettingsKey& key, const SettingsRecords& r, std::optional<QPoint> windowPosition,
              const QString& programPath) {
    if (!key.SetByte("Volume", static_cast<quint8>(r.volume)) || !key.Flush()) {
        MessageBox("can't save vol subkey", "savesettings", MessageIcon::Error);
    }
    SaveEvents(key, r.events);
    SavePresets(key, r.presets);
    r.radioPanel.Save(key);
    r.general.Save(key, programPath);
    r.formats.SaveWave(key);
    r.formats.SaveMp3(key);
    r.formats.SaveVorbis(key);
    r.files.Save(key);
    r.radio.Save(key);
    r.sound.Save(key);
    if (windowPosition) {
        key.SetInt32("WindowX", windowPosition->x());
        key.SetInt32("WindowY", windowPosition->y());
    }
}

}  // namespace

int WindowCoordinate(std::optional<qint32> stored, int screenExtent) {
    if (!stored || *stored < 0 || *stored > screenExtent - kDefaultWindowCoordinate) {
        return kDefaultWindowCoordinate;
    }
    return *stored;
}

void LoadAll(SettingsRecords& r, QSize screen) {
    std::unique_ptr<SettingsKey> key = SettingsKey::OpenMachineWide();
    if (!key) {
        key = SettingsKey::OpenPerUserReadOnly();
    }
    const auto volume = key->QueryByte("Volume");
    r.volume = (volume && *volume <= 100) ? *volume : kDefaultVolume;

    LoadEvents(*key, r.events);
    LoadPresets(*key, r.presets);
    r.radioPanel.Load(*key);
    r.general.Load(*key);
    r.formats.LoadWave(*key);
    r.formats.LoadMp3(*key);
    r.formats.LoadVorbis(*key);
    r.files.Load(*key);
    r.radio.Load(*key);
    r.sound.Load(*key);

    r.windowPosition = QPoint(WindowCoordinate(key->QueryInt32("WindowX"), screen.width()),
                              WindowCoordinate(key->QueryInt32("WindowY"), screen.height()));
}

int SaveAll(const SettingsRecords& records, std::optional<QPoint> windowPosition,
            const QString& programPath) {
    int written = 0;
    for (const auto hive : {SettingsKey::Hive::PerUser, SettingsKey::Hive::MachineWide}) {
        std::unique_ptr<SettingsKey> key = SettingsKey::Create(hive);
        if (!key) {
            continue;
        }
        WriteAll(*key, records, windowPosition, programPath);
        if (key->Flush()) {
            ++written;
        }
    }
    return written;
}

}  // namespace settings_store
