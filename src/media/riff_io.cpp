#include "media/riff_io.h"

#include <algorithm>

#include "media/byte_order.h"

namespace {
// Sizes from "ds64" are taken up to this much, so that offsets computed
// from them cannot overflow.
constexpr uint64_t kMaxDs64Size = uint64_t{1} << 60;

int64_t FromDs64(uint64_t size) {
    return static_cast<int64_t>(std::min(size, kMaxDs64Size));
}
}  // namespace

bool RiffIo::ReadU32(uint32_t& value) {
    unsigned char b[4];
    if (Read(b, 4) != 4) {
        return false;
    }
    value = LoadLE32(b);
    return true;
}

bool RiffIo::WriteU32(uint32_t value) {
    unsigned char b[4];
    StoreLE32(b, value);
    return Write(b, 4) == 4;
}

bool RiffIo::WriteU32At(int64_t offset, uint32_t value) {
    unsigned char b[4];
    StoreLE32(b, value);
    return WriteAt(offset, b, 4);
}

void RiffIo::ReadDs64(int64_t formContents) {
    ds64_ = Ds64Sizes{};
    unsigned char bytes[8 + 24];
    if (!ReadAt(formContents, bytes, sizeof bytes) || LoadLE32(bytes) != kFourCCDs64 ||
        LoadLE32(bytes + 4) < 24) {
        return;
    }
    ds64_.offset = formContents + 8;
    ds64_.riffSize = LoadLE64(bytes + 8);
    ds64_.dataSize = LoadLE64(bytes + 16);
    ds64_.sampleCount = LoadLE64(bytes + 24);
}

bool RiffIo::WriteDs64(const Ds64Sizes& sizes) {
    if (sizes.offset <= 0) {
        return false;
    }
    unsigned char bytes[kDs64Bytes];
    StoreLE64(bytes, sizes.riffSize);
    StoreLE64(bytes + 8, sizes.dataSize);
    StoreLE64(bytes + 16, sizes.sampleCount);
    StoreLE32(bytes + 24, 0);  // no table
    if (!WriteAt(sizes.offset, bytes, kDs64Bytes)) {
        return false;
    }
    ds64_ = sizes;
    return true;
}

bool RiffIo::Descend(RiffChunk& ck, const RiffChunk* parent, RiffFind find) {
    if (!IsOpen()) {
        return false;
    }
    const int64_t start = Tell();
    int64_t limit = Size();
    if (parent) {
        limit = std::min(limit, parent->ContentEnd());
    }
    int64_t pos = start;
    while (pos + 8 <= limit) {
        unsigned char header[12];
        if (!ReadAt(pos, header, 8)) {
            break;
        }
        RiffChunk found;
        found.id = LoadLE32(header);
        found.size = LoadLE32(header + 4);
        found.dataOffset = pos + 8;
        const bool form = found.id == kFourCCRiff || found.id == kFourCCRf64;
        const bool container = form || found.id == kFourCCList;
        bool hasForm = false;
        if (container && found.size >= 4 && pos + 12 <= limit && ReadAt(pos + 8, header + 8, 4)) {
            found.formType = LoadLE32(header + 8);
            hasForm = true;
        }
        if (!parent && form) {
            // A new file: its 64-bit sizes, if it has any.
            ds64_ = Ds64Sizes{};
            if (found.id == kFourCCRf64 && hasForm) {
                ReadDs64(found.dataOffset + 4);
            }
        }
        if (ds64_.offset != 0 && found.size == kSizeInDs64) {
            if (!parent && found.id == kFourCCRf64) {
                found.size = FromDs64(ds64_.riffSize);
                found.sizeInDs64 = true;
            } else if (parent && found.id == kFourCCData) {
                found.size = FromDs64(ds64_.dataSize);
                found.sizeInDs64 = true;
            }
        }
        bool match = false;
        switch (find) {
            case RiffFind::kAny:
                match = true;
                break;
            case RiffFind::kChunk:
                match = found.id == ck.id;
                break;
            case RiffFind::kRiff:
                match = hasForm && form && found.formType == ck.formType;
                break;
            case RiffFind::kList:
                match = hasForm && found.id == kFourCCList && found.formType == ck.formType;
                break;
        }
        if (match) {
            ck = found;
            Seek(found.dataOffset + (hasForm ? 4 : 0));
            return true;
        }
        pos = found.End();  // at least 8 bytes further on
    }
    Seek(start);
    return false;
}

bool RiffIo::Ascend(RiffChunk& ck) {
    if (!IsOpen()) {
        return false;
    }
    if (ck.dirty) {
        const int64_t size = Tell() - ck.dataOffset;
        if (size < 0 || (!ck.sizeInDs64 && size > 0xFFFFFFFFLL)) {
            return false;
        }
        if (!WriteU32At(ck.dataOffset - 4,
                        ck.sizeInDs64 ? kSizeInDs64 : static_cast<uint32_t>(size))) {
            return false;
        }
        ck.size = size;
        if (ck.size & 1) {
            const unsigned char pad = 0;
            if (!WriteAt(ck.dataOffset + ck.size, &pad, 1)) {
                return false;
            }
        }
        ck.dirty = false;
    }
    return Seek(ck.End());
}

bool RiffIo::CreateChunk(RiffChunk& ck, RiffCreate kind) {
    if (!IsOpen() || !IsWritable()) {
        return false;
    }
    const bool container = kind != RiffCreate::kChunk;
    if (kind == RiffCreate::kRiff) {
        ck.id = kFourCCRiff;
    } else if (kind == RiffCreate::kList) {
        ck.id = kFourCCList;
    }
    if (container) {
        ck.size = std::max<int64_t>(ck.size, 4);
    }
    if (ck.size < 0 || ck.size > 0xFFFFFFFFLL) {
        return false;
    }
    unsigned char header[12];
    StoreLE32(header, ck.id);
    StoreLE32(header + 4, static_cast<uint32_t>(ck.size));
    StoreLE32(header + 8, ck.formType);
    const int64_t at = Tell();
    const int64_t length = container ? 12 : 8;
    if (Write(header, length) != length) {
        Seek(at);
        return false;
    }
    ck.dataOffset = at + 8;
    ck.dirty = true;
    return true;
}
