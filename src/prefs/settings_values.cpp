#include "prefs/settings_values.h"

#include <locale.h>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "platform/settings_hive.h"

namespace settings_values {
namespace {

locale_t CLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

// The text as single-byte characters, so that byte offsets are character
// offsets. Decimal digits of other scripts (typed under a locale with its
// own digits) and the Arabic decimal separator become their ASCII forms;
// other characters outside Latin-1 cannot be part of a number anyway.
QByteArray SingleByte(const QString& text) {
    QByteArray bytes = text.toLatin1();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.unicode() < 128) {
            continue;
        }
        if (c.category() == QChar::Number_DecimalDigit) {
            bytes[i] = static_cast<char>('0' + c.digitValue());
        } else if (c.unicode() == 0x066B) {
            bytes[i] = '.';
        }
    }
    return bytes;
}

}  // namespace

std::optional<int> ScanInt(const QString& text, qsizetype* pos) {
    if (*pos < 0 || *pos > text.size()) {
        return std::nullopt;
    }
    const QByteArray bytes = SingleByte(text);
    const char* start = bytes.constData() + *pos;
    char* end = nullptr;
    errno = 0;
    const long value = strtol_l(start, &end, 10, CLocale());
    if (end == start || errno == ERANGE || value < INT_MIN || value > INT_MAX) {
        return std::nullopt;
    }
    *pos += end - start;
    return static_cast<int>(value);
}

std::optional<float> ScanFloat(const QString& text, qsizetype* pos) {
    if (*pos < 0 || *pos > text.size()) {
        return std::nullopt;
    }
    const QByteArray bytes = SingleByte(text);
    const char* start = bytes.constData() + *pos;
    char* end = nullptr;
    const float value = strtof_l(start, &end, CLocale());
    if (end == start || !std::isfinite(value)) {
        return std::nullopt;
    }
    *pos += end - start;
    return value;
}

std::optional<double> ParseDouble(const QString& text) {
    const QByteArray bytes = SingleByte(text);
    char* end = nullptr;
    const double value = strtod_l(bytes.constData(), &end, CLocale());
    if (end == bytes.constData() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> ParseInt(const QString& text) {
    qsizetype pos = 0;
    return ScanInt(text, &pos);
}

std::optional<float> ParseFloat(const QString& text) {
    qsizetype pos = 0;
    return ScanFloat(text, &pos);
}

QString FormatFloat(float value) {
    return QString::number(static_cast<double>(value), 'f', 4);
}

bool ReadFlag(const SettingsKey& key, const QString& name, bool fallback) {
    const auto byte = key.QueryByte(name);
    return byte ? *byte != 0 : fallback;
}

QString ReadText(const SettingsKey& key, const QString& name, const QString& fallback,
                 int maxLength) {
    const auto text = key.QueryString(name);
    return text ? text->left(maxLength) : fallback;
}

}  // namespace settings_values
