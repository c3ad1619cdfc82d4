#include "media/riff_io.h"

#include <algorithm>

#include "media/byte_order.h"

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
        const bool container = found.id == kFourCCRiff || found.id == kFourCCList;
        bool hasForm = false;
        if (container && found.size >= 4 && pos + 12 <= limit && ReadAt(pos + 8, header + 8, 4)) {
            found.formType = LoadLE32(header + 8);
            hasForm = true;
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
                match = hasForm && found.id == kFourCCRiff && found.formType == ck.formType;
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
        if (size < 0 || size > 0xFFFFFFFFLL) {
            return false;
        }
        unsigned char b[4];
        StoreLE32(b, static_cast<uint32_t>(size));
        if (!WriteAt(ck.dataOffset - 4, b, 4)) {
            return false;
        }
        ck.size = static_cast<uint32_t>(size);
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
        ck.size = std::max<uint32_t>(ck.size, 4);
    }
    unsigned char header[12];
    StoreLE32(header, ck.id);
    StoreLE32(header + 4, ck.size);
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
