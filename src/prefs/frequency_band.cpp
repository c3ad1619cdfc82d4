#include "prefs/frequency_band.h"

#include "prefs/settings_values.h"

namespace band {

namespace {

bool IsBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

qsizetype SkipBlanks(const QString& text, qsizetype pos) {
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    return pos;
}

// "AM" at pos as a word of its own: no letter follows it.
bool AmUnitAt(const QString& text, qsizetype pos) {
    if (text.mid(pos, 2).compare(QLatin1String("AM"), Qt::CaseInsensitive) != 0) {
        return false;
    }
    return pos + 2 >= text.size() || !text[pos + 2].isLetter();
}

}  // namespace

bool IsAm(float mhz, Context context) {
    switch (context) {
        case Context::kTuning:
            return mhz < kTuneAmLimit;
        case Context::kScan:
            return mhz < kScanAmLimit;
        case Context::kPreset:
            return mhz > 0.0f && mhz <= kPresetAmLimit;
    }
    return false;
}

float Shown(float mhz, Context context) {
    return IsAm(mhz, context) ? mhz * 100.0f : mhz;
}

QString Text(float mhz, Context context, int fmDecimals) {
    if (IsAm(mhz, context)) {
        return QString::number(static_cast<double>(mhz * 100.0f), 'f', 1) + QLatin1String(" AM");
    }
    return QString::number(static_cast<double>(mhz), 'f', fmDecimals);
}

std::optional<float> Typed::Mhz() const {
    if (!number) {
        return std::nullopt;
    }
    return am ? *number * 0.01f : *number;
}

Typed ReadTyped(const QString& text) {
    Typed typed;
    qsizetype pos = SkipBlanks(text, 0);
    if (AmUnitAt(text, pos)) {
        typed.unitWithoutNumber = true;
        return typed;
    }
    typed.number = settings_values::ScanFloat(text, &pos);
    if (typed.number && pos + 1 < text.size() && text[pos] == QLatin1Char(',') &&
        text[pos + 1].isDigit()) {
        typed.number.reset();  // "101,3" is no 101
    }
    if (typed.number) {
        typed.am = AmUnitAt(text, SkipBlanks(text, pos));
    }
    return typed;
}

bool InAcceptedBand(const Typed& typed) {
    if (!typed.number) {
        return false;
    }
    const float n = *typed.number;
    return typed.am ? n >= kAmUnitsLow && n <= kAmUnitsHigh : n >= kFmLow && n <= kFmHigh;
}

}  // namespace band
