#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <optional>

struct SettingsRecords;
class SettingsKey;

// Reads and writes all settings. Reading takes the machine-wide key when its
// file exists and may be written, else the per-user key; a missing value is
// never an error. Writing goes to the per-user key and then to the
// machine-wide key, skipping a hive that cannot be written.
namespace settings_store {

inline constexpr int kDefaultVolume = 50;
inline constexpr int kDefaultWindowCoordinate = 100;

// screen: size of the screen the window will open on, for the position rule.
void LoadAll(SettingsRecords& records, QSize screen);

// windowPosition: the main window's position when it exists. programPath:
// the program's own file, for the start-at-login entry. Returns the number
// of hives written.
int SaveAll(const SettingsRecords& records, std::optional<QPoint> windowPosition,
            const QString& programPath);

// A stored window coordinate: missing, negative or beyond the screen less
// 100 pixels gives 100.
int WindowCoordinate(std::optional<qint32> stored, int screenExtent);

}  // namespace settings_store
