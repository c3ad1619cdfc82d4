// Parses any text as a metadata item. What the parser returns, written out
// again, must read back to the same timecodes and comment stretches.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "media/metadata_item.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const MetadataLines lines = ParseMetadataItem(text);
    if (lines.timecodes.size() > MetadataLines::kMaxTimecodes) {
        std::abort();
    }
    const MetadataLines again =
        ParseMetadataItem(BuildMetadataItem(lines.timecodes, lines.comments));
    if (again.timecodes != lines.timecodes || again.comments.size() != lines.comments.size()) {
        std::abort();
    }
    for (size_t i = 0; i < lines.comments.size(); ++i) {
        if (again.comments[i].start != lines.comments[i].start ||
            again.comments[i].end != lines.comments[i].end) {
            std::abort();
        }
    }
    return 0;
}
