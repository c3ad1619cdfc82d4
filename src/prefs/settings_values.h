#pragma once

#include <QString>
#include <optional>

class SettingsKey;

// Helpers shared by the loaders and savers of the settings groups.
//
// Numbers kept as text in the settings store. They are read the way the C
// library's "%d" and "%f" conversions read them in the "C" locale, whatever
// the locale of the process: leading blanks are skipped, a sign is allowed,
// and reading stops at the first character that does not belong to the
// number. Digits of other scripts (as typed under a locale with its own
// digits) count as their ASCII digits. Text without a number, an integer
// out of range or a real number that is not finite counts as unreadable.
namespace settings_values {

// Longest text value (paths, names, device names) a loader keeps.
inline constexpr int kMaxTextLength = 259;

// Reads an integer at *pos and moves *pos behind it; *pos is left unchanged
// when nothing could be read.
std::optional<int> ScanInt(const QString& text, qsizetype* pos);
// Reads a real number (single precision) at *pos, like ScanInt.
std::optional<float> ScanFloat(const QString& text, qsizetype* pos);

// The number at the start of the text; trailing characters are ignored.
std::optional<int> ParseInt(const QString& text);
std::optional<float> ParseFloat(const QString& text);
std::optional<double> ParseDouble(const QString& text);

// A frequency or other real value as stored: four decimals, "C" locale.
QString FormatFloat(float value);

// A one-byte flag: set when the byte is not 0; fallback when missing or
// unreadable.
bool ReadFlag(const SettingsKey& key, const QString& name, bool fallback);
// A text value cut to maxLength characters; fallback when missing or
// unreadable.
QString ReadText(const SettingsKey& key, const QString& name, const QString& fallback,
                 int maxLength = kMaxTextLength);

}  // namespace settings_values
