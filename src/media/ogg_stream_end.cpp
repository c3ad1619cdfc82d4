#include "media/ogg_stream_end.h"

#include <array>
#include <vector>

#include "media/byte_order.h"
#include "media/file_io.h"
#include "media/media_file.h"

namespace {

constexpr int kPageHeaderBytes = 27;
constexpr unsigned char kContinued = 0x01;
constexpr unsigned char kEndOfStream = 0x04;
constexpr int kChecksumOffset = 22;

struct PageStart {
    int64_t offset = 0;
    int64_t size = 0;
};

std::array<uint32_t, 256> ChecksumTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t r = i << 24;
        for (int bit = 0; bit < 8; ++bit) {
            r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
        }
        table[i] = r;
    }
    return table;
}

// Every page that lies whole in the file, by its header alone; the walk ends
// at the first one that is cut off, is not a page or belongs to another
// stream.
std::vector<PageStart> WalkPages(BufferedFile& file, int64_t fileSize) {
    std::vector<PageStart> pages;
    int64_t at = 0;
    uint32_t serial = 0;
    unsigned char header[kPageHeaderBytes + 255];
    while (at + kPageHeaderBytes <= fileSize && file.ReadAt(at, header, kPageHeaderBytes)) {
        if (header[0] != 'O' || header[1] != 'g' || header[2] != 'g' || header[3] != 'S' ||
            header[4] != 0) {
            break;
        }
        const uint32_t pageSerial = LoadLE32(header + 14);
        if (pages.empty()) {
            serial = pageSerial;
        } else if (pageSerial != serial) {
            break;
        }
        const int segments = header[26];
        if (!file.ReadAt(at + kPageHeaderBytes, header + kPageHeaderBytes, segments)) {
            break;
        }
        int64_t size = kPageHeaderBytes + segments;
        for (int i = 0; i < segments; ++i) {
            size += header[kPageHeaderBytes + i];
        }
        if (at + size > fileSize) {
            break;
        }
        pages.push_back({at, size});
        at += size;
    }
    return pages;
}

}  // namespace

uint32_t OggPageChecksum(const unsigned char* page, std::size_t size) {
    static const std::array<uint32_t, 256> table = ChecksumTable();
    uint32_t crc = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned char byte = (i >= kChecksumOffset && i < kChecksumOffset + 4) ? 0 : page[i];
        crc = (crc << 8) ^ table[((crc >> 24) ^ byte) & 0xFF];
    }
    return crc;
}

OggEndResult EndOggStream(const std::string& path) {
    OggEndResult result;
    BufferedFile file;
    if (!file.Open(path, kOpenReadWrite | kOpenDenyWrite)) {
        result.reason = "cannot open it for writing";
        return result;
    }
    const int64_t fileSize = file.Size();
    std::vector<PageStart> pages = WalkPages(file, fileSize);
    std::vector<unsigned char> page;
    while (!pages.empty()) {
        const PageStart last = pages.back();
        pages.pop_back();
        page.resize(static_cast<std::size_t>(last.size));
        if (!file.ReadAt(last.offset, page.data(), last.size) ||
            LoadLE32(page.data() + kChecksumOffset) != OggPageChecksum(page.data(), page.size())) {
            continue;  // written only in part
        }
        const int segments = page[26];
        const unsigned char* lacing = page.data() + kPageHeaderBytes;
        int kept = segments;
        while (kept > 0 && lacing[kept - 1] == 255) {
            --kept;  // a packet that goes on in a page that never came
        }
        if (kept == 0) {
            continue;  // finishes no packet
        }
        const auto granule = static_cast<int64_t>(LoadLE64(page.data() + 6));
        if (granule <= 0) {
            break;  // the codec's header pages: no audio
        }
        if ((page[5] & kEndOfStream) && kept == segments && last.offset + last.size == fileSize) {
            result.outcome = OggEndResult::kAlreadyEnded;
            result.granule = granule;
            return result;
        }
        int64_t body = 0;
        for (int i = 0; i < kept; ++i) {
            body += lacing[i];
        }
        std::vector<unsigned char> ended(page.begin(), page.begin() + kPageHeaderBytes + kept);
        ended.insert(ended.end(), page.begin() + kPageHeaderBytes + segments,
                     page.begin() + kPageHeaderBytes + segments + body);
        ended[5] = static_cast<unsigned char>((ended[5] & kContinued) | kEndOfStream);
        ended[26] = static_cast<unsigned char>(kept);
        StoreLE32(ended.data() + kChecksumOffset, OggPageChecksum(ended.data(), ended.size()));
        const auto size = static_cast<int64_t>(ended.size());
        if (!file.WriteAt(last.offset, ended.data(), size) || !file.Truncate(last.offset + size)) {
            result.reason = "cannot write its last page";
            return result;
        }
        result.outcome = OggEndResult::kEnded;
        result.granule = granule;
        result.bytesCut = fileSize - (last.offset + size);
        return result;
    }
    result.outcome = OggEndResult::kNotRepairable;
    result.reason = "it holds no whole page of audio";
    return result;
}
