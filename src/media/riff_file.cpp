#include "media/riff_file.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "media/byte_order.h"
#include "media/media_trace.h"

namespace {
// Far beyond any disk; keeps offsets computed from sizes inside 64 bits.
constexpr int64_t kMaxRf64Content = int64_t{1} << 60;
}  // namespace

RiffFile::RiffFile(uint32_t formType, unsigned openMode)
    : MediaFile(openMode), formType_(formType), dataId_(FourCC("data")) {}

RiffFile::~RiffFile() {
    Close();
}

bool RiffFile::Open(const std::string& path) {
    Close();
    return OpenOrCreate(path);
}

bool RiffFile::OpenOrCreate(const std::string& path) {
    Close();
    error_ = kMediaErrorNone;
    readOnly_ = false;
    dirty_ = false;
    truncateTail_ = false;
    length_ = position_ = 0;
    temporary_ = false;
    std::string name = path;
    if (name.empty()) {
        name = MakeTempName();
        if (name.empty()) {
            error_ = kMediaErrorOpen;
            return false;
        }
        temporary_ = true;
    }
    fileName_ = name;
    // Reading never creates a file: a missing recording is an open failure.
    if (!temporary_ && !FileExists(name) && (openMode_ & kOpenAccessMask) == kOpenRead) {
        error_ = kMediaErrorOpen;
        return false;
    }
    if (!FileExists(name) || temporary_) {
        return CreateNew();
    }
    return OpenExisting();
}

bool RiffFile::CreateNew() {
    const unsigned mode = (openMode_ & ~kOpenAccessMask) | kOpenReadWrite | kOpenCreate;
    if (!io_.Open(fileName_, mode)) {
        error_ = kMediaErrorOpen;
        return false;
    }
    riff_ = RiffChunk{};
    riff_.formType = formType_;
    data_ = RiffChunk{};
    data_.id = dataId_;
    // Room for "ds64" first, where RF64 readers look for it.
    RiffChunk junk;
    junk.id = kFourCCJunk;
    junk.size = kDs64Bytes;
    const unsigned char zeros[kDs64Bytes] = {};
    if (!io_.CreateChunk(riff_, RiffCreate::kRiff) || !io_.CreateChunk(junk, RiffCreate::kChunk) ||
        io_.Write(zeros, kDs64Bytes) != kDs64Bytes || !WriteHeader() ||
        !io_.CreateChunk(data_, RiffCreate::kChunk)) {
        io_.Close();
        error_ = kMediaErrorOpen;
        return false;
    }
    ds64Offset_ = junk.dataOffset;
    tailStart_ = tailEnd_ = data_.dataOffset;
    // Valid (empty) from the start, so that even an early crash leaves a
    // file that readers accept.
    FixSizes();
    return true;
}

bool RiffFile::OpenExisting() {
    if (io_.Open(fileName_, openMode_ & ~kOpenCreate)) {
        readOnly_ = (openMode_ & kOpenAccessMask) == kOpenRead;
    } else if (io_.Open(fileName_, kOpenRead)) {
        readOnly_ = true;
    } else {
        error_ = kMediaErrorOpen;
        return false;
    }
    riff_ = RiffChunk{};
    riff_.formType = formType_;
    io_.Seek(0);
    if (!io_.Descend(riff_, nullptr, RiffFind::kRiff) || !ReadHeader()) {
        io_.Close();
        error_ = kMediaErrorHeader;
        return false;
    }
    data_ = RiffChunk{};
    data_.id = dataId_;
    io_.Seek(RiffContentStart());
    if (!io_.Descend(data_, &riff_, RiffFind::kChunk)) {
        MediaTrace("can't descend data");
        io_.Close();
        error_ = kMediaErrorHeader;
        return false;
    }
    FindDs64Room();
    if (IsRf64()) {
        riff_.sizeInDs64 = data_.sizeInDs64 = true;
        if (ds64Offset_ == 0 || io_.Ds64().offset != ds64Offset_) {
            // Sizes that cannot be written back: read only.
            readOnly_ = true;
        }
    }
    const int64_t fileSize = io_.Size();
    // A size beyond the end of the file claims audio that is not there.
    length_ = std::clamp<int64_t>(fileSize - data_.dataOffset, 0, data_.size);
    // A recording killed before its sizes were written last: the headers
    // end with the data, but the file goes on. What follows is its audio,
    // in whole blocks.
    if (riff_.ContentEnd() <= data_.ContentEnd() && fileSize > data_.ContentEnd() &&
        (IsRf64() || fileSize - data_.dataOffset <= plainRiffLimit_)) {
        int64_t found = fileSize - data_.dataOffset;
        if (format_.blockAlign > 1) {
            found -= found % format_.blockAlign;
        }
        length_ = std::max(length_, found);
    }
    position_ = 0;
    tailStart_ = PaddedDataEnd();
    tailEnd_ = std::max(tailStart_, std::min(riff_.ContentEnd(), fileSize));
    return true;
}

void RiffFile::FindDs64Room() {
    ds64Offset_ = 0;
    const int64_t at = RiffContentStart();
    unsigned char header[8];
    if (!io_.ReadAt(at, header, 8)) {
        return;
    }
    const uint32_t id = LoadLE32(header);
    if ((id == kFourCCJunk || id == kFourCCDs64) && LoadLE32(header + 4) >= kDs64Bytes &&
        at + 8 + kDs64Bytes <= data_.HeaderOffset()) {
        ds64Offset_ = at + 8;
    }
}

void RiffFile::SetPlainRiffLimit(int64_t bytes) {
    plainRiffLimit_ = std::clamp<int64_t>(bytes, 0, kDefaultPlainRiffLimit);
}

bool RiffFile::WriteDs64() {
    Ds64Sizes sizes;
    sizes.offset = ds64Offset_;
    sizes.riffSize = static_cast<uint64_t>(riff_.size);
    sizes.dataSize = static_cast<uint64_t>(data_.size);
    sizes.sampleCount = Ds64SampleCount();
    return io_.WriteDs64(sizes);
}

bool RiffFile::BecomeRf64() {
    // The sizes of now as plain RIFF; from here on each write leaves a file
    // that readers take in full, whenever the program stops.
    if (!FixSizes()) {
        return false;
    }
    // The 64-bit sizes while the chunk is still "JUNK", which readers skip,
    // then its name: a "ds64" chunk in a RIFF file is skipped as well.
    if (!WriteDs64() || !io_.WriteU32At(ds64Offset_ - 8, kFourCCDs64)) {
        MediaTrace("can't write ds64");
        return false;
    }
    // "RF64": readers take the sizes of "ds64", which still equal the ones
    // in the data chunk.
    unsigned char header[8];
    StoreLE32(header, kFourCCRf64);
    StoreLE32(header + 4, kSizeInDs64);
    if (!io_.WriteAt(riff_.HeaderOffset(), header, 8)) {
        MediaTrace("can't write RF64");
        return false;
    }
    riff_.id = kFourCCRf64;
    riff_.sizeInDs64 = true;
    data_.sizeInDs64 = true;
    return io_.WriteU32At(data_.HeaderOffset() + 4, kSizeInDs64);
}

bool RiffFile::AscendRiff() {
    riff_.dirty = true;
    if (!io_.Ascend(riff_)) {
        return false;
    }
    return !IsRf64() || WriteDs64();
}

void RiffFile::Close() {
    if (!io_.IsOpen()) {
        return;
    }
    const bool wasDirty = dirty_;
    if (dirty_) {
        Update();
    }
    if (truncateTail_ && !readOnly_ && io_.Size() > riff_.End()) {
        io_.Truncate(riff_.End());
    }
    io_.Close();
    truncateTail_ = false;
    if (temporary_ && !wasDirty) {
        ::unlink(fileName_.c_str());
    }
}

bool RiffFile::FixSizes() {
    if (!io_.IsOpen() || readOnly_) {
        return false;
    }
    if (!io_.Seek(data_.dataOffset + length_)) {
        MediaTrace("wavefile position");
        return false;
    }
    data_.dirty = true;
    if (!io_.Ascend(data_)) {
        MediaTrace("can't ascend data");
        return false;
    }
    const int64_t dataEnd = data_.End();
    int64_t riffEnd = dataEnd;
    if (tailStart_ == dataEnd) {
        riffEnd = std::max(dataEnd, tailEnd_);
    } else {
        // The data has grown over (or moved away from) what followed it:
        // what is left of that is cut off at close.
        truncateTail_ = true;
    }
    tailStart_ = dataEnd;
    tailEnd_ = riffEnd;
    if (!io_.Seek(riffEnd) || !AscendRiff()) {
        MediaTrace("wavefile update");
        return false;
    }
    return true;
}

bool RiffFile::Update() {
    if (!dirty_) {
        return true;
    }
    if (!FixSizes()) {
        return false;
    }
    dirty_ = false;
    return true;
}

bool RiffFile::Seek(int64_t position) {
    if (!IsOpen()) {
        return false;
    }
    position_ = std::clamp<int64_t>(position, 0, length_);
    return true;
}

bool RiffFile::SetLength(int64_t bytes) {
    if (!IsOpen() || readOnly_ || bytes < 0 || bytes > length_) {
        return false;
    }
    length_ = bytes;
    position_ = std::min(position_, length_);
    dirty_ = true;
    return true;
}

int64_t RiffFile::Write(const void* data, int64_t count) {
    if (!IsOpen() || count < 0) {
        return -1;
    }
    if (readOnly_) {
        return 0;
    }
    if (!overwrite_ && position_ != length_) {
        position_ = length_;
    }
    const int64_t headers = data_.dataOffset - riff_.dataOffset;
    if (!IsRf64() && CanBecomeRf64() && headers + position_ + count > plainRiffLimit_ &&
        !BecomeRf64()) {
        return -1;
    }
    const int64_t room = (IsRf64() ? kMaxRf64Content : plainRiffLimit_) - headers - position_;
    count = std::clamp<int64_t>(count, 0, std::max<int64_t>(room, 0));
    if (count == 0) {
        return 0;
    }
    if (!io_.Seek(data_.dataOffset + position_)) {
        return -1;
    }
    const int64_t written = io_.Write(data, count);
    if (written < 0) {
        return -1;
    }
    position_ += written;
    length_ = std::max(length_, position_);
    dirty_ = true;
    return written;
}

int64_t RiffFile::Read(void* data, int64_t count) {
    if (!IsOpen() || count < 0) {
        return -1;
    }
    count = std::min(count, length_ - position_);
    if (count <= 0) {
        return 0;
    }
    if (!io_.Seek(data_.dataOffset + position_)) {
        return -1;
    }
    const int64_t read = io_.Read(data, count);
    if (read > 0) {
        position_ += read;
    }
    return read;
}

bool RiffFile::Delete() {
    if (readOnly_) {
        return false;
    }
    const bool removed = CloseAndRemove();
    length_ = position_ = 0;
    return removed;
}

std::string RiffFile::GetTempDir() const {
    return TempDirectory();
}

std::string RiffFile::MakeTempName() const {
    return MakeTempFile(GetTempDir(), "RIF");
}
