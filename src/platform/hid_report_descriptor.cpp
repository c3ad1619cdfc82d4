#include "platform/hid_report_descriptor.h"

#include <algorithm>
#include <vector>

namespace {

enum ItemType { kMain = 0, kGlobal = 1, kLocal = 2 };

// Item tags used here.
constexpr int kFeatureTag = 0xB;     // main
constexpr int kReportSizeTag = 0x7;  // global
constexpr int kReportIdTag = 0x8;
constexpr int kReportCountTag = 0x9;
constexpr int kPushTag = 0xA;
constexpr int kPopTag = 0xB;

struct GlobalState {
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    int reportId = 0;
};

}  // namespace

int HidFeatureReports::MaxLength() const {
    int longest = 0;
    for (const auto& [id, length] : lengths) {
        longest = std::max(longest, length);
    }
    return longest;
}

int HidFeatureReports::LengthOf(int reportId) const {
    const auto it = lengths.find(reportId);
    return it == lengths.end() ? 0 : it->second;
}

HidFeatureReports ParseFeatureReports(std::span<const uint8_t> descriptor) {
    HidFeatureReports result;
    std::map<int, uint64_t> bits;
    std::vector<GlobalState> stack;
    GlobalState state;
    size_t i = 0;
    while (i < descriptor.size()) {
        const uint8_t prefix = descriptor[i];
        if (prefix == 0xFE) {  // long item: size, tag, data
            if (i + 2 >= descriptor.size() || i + 3 + descriptor[i + 1] > descriptor.size()) {
                return result;  // truncated
            }
            i += 3 + descriptor[i + 1];
            continue;
        }
        const size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (i + 1 + size > descriptor.size()) {
            return result;  // truncated item
        }
        uint32_t value = 0;
        for (size_t k = 0; k < size; ++k) {
            value |= static_cast<uint32_t>(descriptor[i + 1 + k]) << (8 * k);
        }
        const int type = (prefix >> 2) & 3;
        const int tag = prefix >> 4;
        if (type == kGlobal) {
            switch (tag) {
                case kReportSizeTag:
                    state.reportSize = value;
                    break;
                case kReportCountTag:
                    state.reportCount = value;
                    break;
                case kReportIdTag:
                    state.reportId = static_cast<int>(value & 0xFF);
                    break;
                case kPushTag:
                    stack.push_back(state);
                    break;
                case kPopTag:
                    if (!stack.empty()) {
                        state = stack.back();
                        stack.pop_back();
                    }
                    break;
                default:
                    break;
            }
        } else if (type == kMain && tag == kFeatureTag) {
            bits[state.reportId] += uint64_t{state.reportSize} * state.reportCount;
        }
        i += 1 + size;
    }
    for (const auto& [id, count] : bits) {
        // No report can be longer than one control transfer.
        const uint64_t bytes = std::min<uint64_t>((count + 7) / 8, 65534);
        result.lengths[id] = static_cast<int>(bytes) + 1;
    }
    result.valid = true;
    return result;
}
