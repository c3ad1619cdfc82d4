#include "platform/sdr_tuning.h"

#include <QString>
#include <algorithm>
#include <array>
#include <string_view>

namespace sdr_tuning {

namespace {

// ISO 3166 codes of the territories of North, Central and South America and
// the Caribbean, and South Korea: their FM broadcasts use 75 µs.
constexpr std::array<std::string_view, 55> k75UsTerritories = {
    "AG", "AI", "AR", "AW", "BB", "BL", "BM", "BO", "BQ", "BR", "BS", "BZ", "CA", "CL",
    "CO", "CR", "CU", "CW", "DM", "DO", "EC", "FK", "GD", "GF", "GP", "GT", "GY", "HN",
    "HT", "JM", "KN", "KY", "LC", "MF", "MQ", "MS", "MX", "NI", "PA", "PE", "PM", "PR",
    "PY", "SR", "SV", "SX", "TC", "TT", "UM", "US", "UY", "VC", "VE", "VG", "VI"};

}  // namespace

int DeemphasisUsFor(QLocale::Territory territory) {
    const QString code = QLocale::territoryToCode(territory);
    const std::string text = code.toStdString();
    if (text == "KR") {
        return 75;
    }
    const bool americas = std::find(k75UsTerritories.begin(), k75UsTerritories.end(),
                                    std::string_view(text)) != k75UsTerritories.end();
    return americas ? 75 : 50;
}

int DefaultDeemphasisUs() {
    return DeemphasisUsFor(QLocale::system().territory());
}

}  // namespace sdr_tuning
