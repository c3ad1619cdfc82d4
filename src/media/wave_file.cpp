#include "media/wave_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "media/byte_order.h"
#include "media/media_trace.h"

namespace {

constexpr uint32_t kFmt = FourCC("fmt ");
constexpr uint32_t kFact = FourCC("fact");
constexpr uint32_t kDisp = FourCC("DISP");
constexpr uint32_t kInfo = FourCC("INFO");
constexpr uint32_t kDispText = 1;  // the DISP chunk holds plain text

// Chunks that follow an empty data chunk are moved, up to this size, when
// an INFO list is put in front of it.
constexpr int64_t kMaxMovedTail = 16 * 1024 * 1024;

struct InfoName {
    const char* name;
    uint32_t id;
};
constexpr std::array<InfoName, 10> kInfoNames = {{
    {"artist", FourCC("IART")},
    {"comment", FourCC("ICMT")},
    {"copyright", FourCC("ICOP")},
    {"engineer", FourCC("IENG")},
    {"user", FourCC("IENG")},
    {"name", FourCC("INAM")},
    {"subject", FourCC("ISBJ")},
    {"software", FourCC("ISFT")},
    {"author", FourCC("ISFT")},
    {"creator", FourCC("ISFT")},
}};

WaveFormat ClipFormat(const WaveFormat& format) {
    WaveFormat f = format;
    const auto maxExtra =
        static_cast<qsizetype>(WaveFile::kFormatBufferSize - WaveFormat::kHeaderSize);
    if (f.extra.size() > maxExtra) {
        f.extra.truncate(maxExtra);
    }
    return f;
}

// Text up to its first zero byte.
std::string CutAtZero(const std::vector<char>& bytes, std::size_t count) {
    const auto end =
        std::find(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count), '\0');
    return std::string(bytes.begin(), end);
}

}  // namespace

WaveFormat WaveFile::DefaultFormat() {
    WaveFormat f;
    f.formatTag = WaveFormat::kTagPcm;
    f.channels = 1;
    f.samplesPerSec = 22050;
    f.avgBytesPerSec = 22050;
    f.blockAlign = 1;
    f.bitsPerSample = 8;
    return f;
}

uint32_t WaveFile::InfoId(std::string_view name) {
    for (const InfoName& entry : kInfoNames) {
        if (EqualsIgnoreCase(name, entry.name)) {
            return entry.id;
        }
    }
    return 0;
}

WaveFile::WaveFile(const std::string& path, const WaveFormat* format, unsigned openMode)
    : RiffFile(FourCC("WAVE"), openMode) {
    format_ = format ? ClipFormat(*format) : DefaultFormat();
    OpenOrCreate(path);
}

WaveFile::~WaveFile() {
    Close();
}

bool WaveFile::WriteHeader() {
    RiffChunk fmt;
    fmt.id = kFmt;
    const QByteArray record = format_.Serialize();
    if (!io_.CreateChunk(fmt, RiffCreate::kChunk) ||
        io_.Write(record.constData(), record.size()) != record.size() || !io_.Ascend(fmt)) {
        MediaTrace("wavefile createformat");
        return false;
    }
    RiffChunk fact;
    fact.id = kFact;
    if (!io_.CreateChunk(fact, RiffCreate::kChunk) || !io_.WriteU32(0) || !io_.Ascend(fact)) {
        MediaTrace("trouble writing fact data init");
        return false;
    }
    sampleCount_ = 0;
    return true;
}

bool WaveFile::ReadHeader() {
    RiffChunk fmt;
    fmt.id = kFmt;
    io_.Seek(RiffContentStart());
    if (!io_.Descend(fmt, &riff_, RiffFind::kChunk)) {
        MediaTrace("can't find child chunk");
        return false;
    }
    std::vector<char> bytes(kFormatBufferSize, '\0');
    const int64_t want = std::min<int64_t>(fmt.size, kFormatBufferSize);
    const int64_t got = io_.Read(bytes.data(), want);
    // Shorter than tag, channels, rates, alignment and bits: not a format.
    if (got < 16) {
        return false;
    }
    const auto available =
        static_cast<uint16_t>(got > WaveFormat::kHeaderSize ? got - WaveFormat::kHeaderSize : 0);
    uint16_t extraSize = got >= WaveFormat::kHeaderSize
                             ? static_cast<uint16_t>(static_cast<unsigned char>(bytes[16]) |
                                                     static_cast<unsigned char>(bytes[17]) << 8)
                             : 0;
    extraSize = std::min(extraSize, available);
    bytes[16] = static_cast<char>(extraSize & 0xFF);
    bytes[17] = static_cast<char>(extraSize >> 8);
    const auto parsed =
        WaveFormat::Parse(QByteArray(bytes.data(), WaveFormat::kHeaderSize + extraSize));
    if (!parsed) {
        return false;
    }
    format_ = *parsed;

    RiffChunk fact;
    fact.id = kFact;
    io_.Seek(RiffContentStart());
    uint32_t count = 0;
    if (io_.Descend(fact, &riff_, RiffFind::kChunk) && fact.size >= 4 && io_.ReadU32(count) &&
        count != 0) {
        sampleCount_ = count;
        // Too many for 32 bits: RF64 keeps the count in "ds64".
        if (count == 0xFFFFFFFF && IsRf64() && io_.Ds64().offset != 0) {
            sampleCount_ = io_.Ds64().sampleCount;
        }
    }
    return true;
}

bool WaveFile::Seek(int64_t position) {
    if (!IsOpen()) {
        return false;
    }
    if (format_.blockAlign != 0 && position > 0) {
        position -= position % format_.blockAlign;
    }
    position_ = std::clamp<int64_t>(position, 0, length_);
    return true;
}

void WaveFile::AddSampleCount(uint32_t samples) {
    sampleCount_ += samples;
}

uint64_t WaveFile::Ds64SampleCount() const {
    return ComputeSampleCount();
}

uint64_t WaveFile::ComputeSampleCount() const {
    const auto length = static_cast<uint64_t>(length_);
    uint64_t count = length;
    if (format_.formatTag == WaveFormat::kTagPcm) {
        count =
            format_.avgBytesPerSec ? length * format_.samplesPerSec / format_.avgBytesPerSec : 0;
    } else if (sampleCount_ != 0) {
        count = sampleCount_;
    } else if (format_.avgBytesPerSec != 0) {
        count = static_cast<uint64_t>(format_.samplesPerSec) * length / format_.avgBytesPerSec;
    } else if (format_.bitsPerSample != 0) {
        count = length * 8 / format_.bitsPerSample;
    }
    return count;
}

bool WaveFile::Update() {
    if (!dirty_) {
        return true;
    }
    if (!FixSizes()) {
        return false;
    }
    // Only a "fact" chunk before the data: what follows the data may be
    // audio that has grown over old chunks.
    RiffChunk before;
    before.dataOffset = RiffContentStart();
    before.size = data_.HeaderOffset() - RiffContentStart();
    RiffChunk fact;
    fact.id = kFact;
    io_.Seek(RiffContentStart());
    if (io_.Descend(fact, &before, RiffFind::kChunk) && fact.size >= 4) {
        // A count beyond 32 bits says 0xFFFFFFFF; RF64 has it in "ds64".
        unsigned char value[4];
        StoreLE32(value,
                  static_cast<uint32_t>(std::min<uint64_t>(ComputeSampleCount(), 0xFFFFFFFFu)));
        if (!io_.WriteAt(fact.dataOffset, value, 4)) {
            MediaTrace("wavefile update");
            return false;
        }
    } else {
        MediaTrace("can't descend fact");  // files of other programs may have none
    }
    dirty_ = false;
    return true;
}

bool WaveFile::SetTag(std::string_view name, std::string_view text) {
    if (!IsOpen() || readOnly_) {
        return false;
    }
    if (EqualsIgnoreCase(name, kTimecodeTagName)) {
        return SetTimecodeItem(text);
    }
    if (length_ != 0 || GetTag(name, 1).has_value()) {
        return false;
    }
    const uint32_t id = InfoId(name);
    if (id == 0) {
        return true;  // a name WAVE files do not keep
    }
    return AddInfoItem(id, text);
}

bool WaveFile::SetTimecodeItem(std::string_view text) {
    // The data chunk gets its size, then the item follows it, replacing
    // whatever followed before.
    if (!io_.Seek(data_.dataOffset + length_)) {
        MediaTrace("Can't seek to position");
        return false;
    }
    data_.dirty = true;
    if (!io_.Ascend(data_)) {
        MediaTrace("can't ascend data");
        return false;
    }
    const int64_t at = data_.End();
    if (tailEnd_ > at) {
        truncateTail_ = true;
    }
    RiffChunk disp;
    disp.id = kDisp;
    const char zero = '\0';
    if (!io_.CreateChunk(disp, RiffCreate::kChunk) || !io_.WriteU32(kDispText) ||
        io_.Write(text.data(), static_cast<int64_t>(text.size())) !=
            static_cast<int64_t>(text.size()) ||
        io_.Write(&zero, 1) != 1 || !io_.Ascend(disp)) {
        MediaTrace("wavefile update");
        return false;
    }
    tailStart_ = at;
    tailEnd_ = disp.End();
    if (!io_.Seek(tailEnd_) || !AscendRiff()) {
        MediaTrace("can't descend parent");
        return false;
    }
    return true;
}

bool WaveFile::AddInfoItem(uint32_t id, std::string_view text) {
    // The data is empty: everything from the data chunk's header on moves
    // behind the new item.
    if (!FixSizes()) {
        return false;
    }
    const int64_t header = data_.HeaderOffset();
    const int64_t tailBytes = tailEnd_ - tailStart_;
    if (tailBytes < 0 || tailBytes > kMaxMovedTail) {
        return false;
    }
    std::vector<char> tail(static_cast<std::size_t>(tailBytes));
    if (tailBytes > 0 && !io_.ReadAt(tailStart_, tail.data(), tailBytes)) {
        return false;
    }

    std::vector<unsigned char> item(8);
    const auto textSize = static_cast<uint32_t>(text.size() + 1);
    StoreLE32(item.data(), id);
    StoreLE32(item.data() + 4, textSize);
    item.insert(item.end(), text.begin(), text.end());
    item.push_back(0);
    if (item.size() & 1) {
        item.push_back(0);
    }

    // An INFO list that ends where the data chunk starts grows by the item;
    // otherwise a new list stands there.
    RiffChunk list;
    list.formType = kInfo;
    bool extend = false;
    io_.Seek(RiffContentStart());
    while (io_.Descend(list, &riff_, RiffFind::kList)) {
        if (list.End() == header) {
            extend = true;
            break;
        }
        io_.Seek(list.End());
    }
    std::vector<unsigned char> inserted;
    if (extend) {
        inserted = item;
        unsigned char size[4];
        StoreLE32(size, static_cast<uint32_t>(list.size + item.size()));
        if (!io_.WriteAt(list.dataOffset - 4, size, 4)) {
            return false;
        }
    } else {
        inserted.resize(12);
        StoreLE32(inserted.data(), kFourCCList);
        StoreLE32(inserted.data() + 4, static_cast<uint32_t>(4 + item.size()));
        StoreLE32(inserted.data() + 8, kInfo);
        inserted.insert(inserted.end(), item.begin(), item.end());
    }
    unsigned char dataHeader[8];
    StoreLE32(dataHeader, dataId_);
    StoreLE32(dataHeader + 4, 0);
    const auto shift = static_cast<int64_t>(inserted.size());
    if (!io_.WriteAt(header, inserted.data(), shift) ||
        !io_.WriteAt(header + shift, dataHeader, 8) ||
        (tailBytes > 0 && !io_.WriteAt(header + shift + 8, tail.data(), tailBytes))) {
        return false;
    }
    data_.dataOffset += shift;
    data_.size = 0;
    tailStart_ += shift;
    tailEnd_ += shift;
    if (!io_.Seek(tailEnd_) || !AscendRiff()) {
        MediaTrace("can't descend parent");
        return false;
    }
    return true;
}

std::optional<std::string> WaveFile::GetTag(std::string_view name, std::size_t maxBytes) {
    if (!IsOpen()) {
        return std::nullopt;
    }
    if (EqualsIgnoreCase(name, kTimecodeTagName)) {
        return FindTimecodeItem(maxBytes);
    }
    const uint32_t id = InfoId(name);
    return id ? FindInfoItem(id, maxBytes) : std::nullopt;
}

std::size_t WaveFile::Available(int64_t chunkBytes, std::size_t maxBytes) const {
    const int64_t inFile = std::max<int64_t>(io_.Size() - io_.Tell(), 0);
    return static_cast<std::size_t>(
        std::min<uint64_t>({static_cast<uint64_t>(std::max<int64_t>(chunkBytes, 0)), maxBytes,
                            static_cast<uint64_t>(inFile)}));
}

std::optional<std::string> WaveFile::FindTimecodeItem(std::size_t maxBytes) {
    int64_t at = PaddedDataEnd();
    for (;;) {
        RiffChunk disp;
        disp.id = kDisp;
        if (!io_.Seek(at) || !io_.Descend(disp, &riff_, RiffFind::kChunk)) {
            return std::nullopt;
        }
        uint32_t kind = 0;
        if (disp.size >= 4 && io_.ReadU32(kind) && kind == kDispText) {
            const auto want = Available(disp.size - 4, maxBytes);
            std::vector<char> bytes(want);
            const int64_t got = io_.Read(bytes.data(), static_cast<int64_t>(want));
            return CutAtZero(bytes, got > 0 ? static_cast<std::size_t>(got) : 0);
        }
        at = disp.End();
    }
}

std::optional<std::string> WaveFile::FindInfoItem(uint32_t id, std::size_t maxBytes) {
    int64_t at = RiffContentStart();
    for (;;) {
        RiffChunk list;
        list.formType = kInfo;
        if (!io_.Seek(at) || !io_.Descend(list, &riff_, RiffFind::kList)) {
            return std::nullopt;
        }
        RiffChunk item;
        item.id = id;
        if (io_.Descend(item, &list, RiffFind::kChunk)) {
            const auto want = Available(item.size, maxBytes);
            std::vector<char> bytes(want);
            const int64_t got = io_.Read(bytes.data(), static_cast<int64_t>(want));
            return CutAtZero(bytes, got > 0 ? static_cast<std::size_t>(got) : 0);
        }
        at = list.End();
    }
}
