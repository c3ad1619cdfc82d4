#include "radio/radio_settings.h"

#include "platform/settings_hive.h"

namespace {

constexpr quint8 kNoModelByte = 0xFF;
// Port texts live in buffers of this many characters, terminator included.
constexpr int kMaxPortStringLength = 259;

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') {
        return u - '0';
    }
    if (u >= 'a' && u <= 'f') {
        return u - 'a' + 10;
    }
    if (u >= 'A' && u <= 'F') {
        return u - 'A' + 10;
    }
    return -1;
}

}  // namespace

std::optional<int> ParsePortValue(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text.at(i).isSpace()) {
        ++i;
    }
    bool negative = false;
    if (i < n && (text.at(i) == '-' || text.at(i) == '+')) {
        negative = text.at(i) == '-';
        ++i;
    }
    if (i + 2 < n && text.at(i) == '0' && (text.at(i + 1) == 'x' || text.at(i + 1) == 'X') &&
        HexDigit(text.at(i + 2)) >= 0) {
        i += 2;
    }
    quint64 value = 0;
    int digits = 0;
    for (; i < n && HexDigit(text.at(i)) >= 0; ++i) {
        value = value * 16 + static_cast<quint64>(HexDigit(text.at(i)));
        if (value > 0xFFFFFFFFull) {
            return std::nullopt;
        }
        ++digits;
    }
    if (digits == 0) {
        return std::nullopt;
    }
    quint32 bits = static_cast<quint32>(value);
    if (negative) {
        bits = 0u - bits;
    }
    return static_cast<int>(static_cast<qint32>(bits));
}

QString FormatPortValue(int port) {
    return QString::number(static_cast<quint32>(port), 16);
}

void RadioSettings::Load(const SettingsKey& key) {
    vendor = kNoRadioModel;
    if (const auto byte = key.QueryByte("Vendor"); byte && *byte != kNoModelByte) {
        vendor = *byte;
    }

    portAddress = kNoPortValue;
    if (const auto text = key.QueryString("PortAddress")) {
        portAddress = ParsePortValue(*text).value_or(kNoPortValue);
    }

    portString = key.QueryString("PortString").value_or(QString()).left(kMaxPortStringLength);

    onExit = key.QueryByte("OnExit").value_or(kOnExitMute);
    startMute = key.QueryByte("StartMute").value_or(kStartMute);
}

void RadioSettings::Save(SettingsKey& key) const {
    const bool validModel = vendor >= 0 && vendor < kNoModelByte;
    key.SetByte("Vendor", validModel ? static_cast<quint8>(vendor) : kNoModelByte);
    key.SetString("PortAddress", FormatPortValue(portAddress));
    key.SetString("PortString", portString.left(kMaxPortStringLength));
    key.SetByte("OnExit", static_cast<quint8>(onExit));
    key.SetByte("StartMute", static_cast<quint8>(startMute));
}
