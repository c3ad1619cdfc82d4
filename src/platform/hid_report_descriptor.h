#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>

// The sizes of the feature reports a HID report descriptor declares, by
// report id (0 when the device does not number its reports). Each size is in
// bytes and counts the leading report-id byte, as report buffers are sized.
struct HidFeatureReports {
    std::map<int, int> lengths;
    bool valid = false;  // the descriptor could be read to its end

    // Length of the longest feature report; 0 when there is none.
    int MaxLength() const;
    // Length of one report; 0 when the descriptor does not declare it.
    int LengthOf(int reportId) const;
};

HidFeatureReports ParseFeatureReports(std::span<const uint8_t> descriptor);
