#pragma once

#include <QLocale>
#include <algorithm>

// How an SDR receiver is tuned to a station, and the defaults that depend on
// where the user lives.
namespace sdr_tuning {

// The centre frequency lies this far below the station, so that the
// receiver's DC spike and its neighbourhood never fall inside the channel.
inline constexpr double kStationOffsetHz = 250000.0;

// The offset at a sample rate: kStationOffsetHz, or a quarter of the rate of
// a device that runs slower than 1 MS/s, so that the channel still fits
// between DC and the band edge.
inline double StationOffsetHz(double sampleRate) {
    return std::min(kStationOffsetHz, sampleRate / 4);
}

// The centre frequency for a station received at a sample rate; the station
// then lies at +StationOffsetHz(sampleRate) in the baseband.
inline double CentreFrequencyHz(double stationHz, double sampleRate) {
    return stationHz - StationOffsetHz(sampleRate);
}

// The AM broadcast band (medium wave): demodulated as AM by envelope.
inline constexpr double kAmBandLowHz = 520000.0;
inline constexpr double kAmBandHighHz = 1710000.0;
inline bool IsAmBand(double stationHz) {
    return stationHz >= kAmBandLowHz && stationHz <= kAmBandHighHz;
}

// FM de-emphasis in microseconds used in a territory: 75 in the Americas and
// South Korea, 50 everywhere else.
int DeemphasisUsFor(QLocale::Territory territory);
// The same for the user's own territory (QLocale::system()).
int DefaultDeemphasisUs();

}  // namespace sdr_tuning
