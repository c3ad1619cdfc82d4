#include "media/mp3_file.h"

#include "platform/codec_manager.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "media/id3v2_frames.h"
#include "media/wave_file.h"

Mp3File::Mp3File(const std::string& path, const WaveFormat* format, unsigned openMode,
                 bool enableId3v2Tag)
    : MediaFile(openMode), enableId3v2Tag_(enableId3v2Tag) {
    format_ = format ? *format : WaveFile::DefaultFormat();
    const auto maxExtra =
        static_cast<qsizetype>(WaveFile::kFormatBufferSize - WaveFormat::kHeaderSize);
    if (format_.extra.size() > maxExtra) {
        format_.extra.truncate(maxExtra);
    }
    OpenOrCreate(path);
}

Mp3File::~Mp3File() {
    Close();
}

bool Mp3File::OpenFile(unsigned mode) {
    if (file_.Open(fileName_, mode)) {
        readOnly_ = (mode & kOpenAccessMask) == kOpenRead;
        return true;
    }
    if (file_.Open(fileName_, kOpenRead)) {
        readOnly_ = true;
        return true;
    }
    return false;
}

bool Mp3File::OpenOrCreate(const std::string& path) {
    Close();
    error_ = kMediaErrorNone;
    readOnly_ = false;
    dirty_ = false;
    temporary_ = false;
    dataStart_ = length_ = position_ = 0;
    id3v1_ = Id3v1Record();
    id3v1Set_ = id3v1Changed_ = id3v1OnDisk_ = false;
    std::string name = path;
    if (name.empty()) {
        name = MakeTempFile(TempDirectory(), "RIF");
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
        const unsigned mode = (openMode_ & ~kOpenAccessMask) | kOpenReadWrite | kOpenCreate;
        if (!file_.Open(name, mode)) {
            error_ = kMediaErrorOpen;
            return false;
        }
        return true;
    }
    // Shared with other readers and writers.
    if (!OpenFile(openMode_ & ~(kOpenCreate | kOpenDenyWrite))) {
        error_ = kMediaErrorOpen;
        return false;
    }
    const int64_t size = file_.Size();
    if (size > 0) {
        file_.Seek(0);
        SkipId3v2();
        bool found = false;
        for (int attempt = 0; attempt < kFrameTries; ++attempt) {
            if (CheckFrame(true)) {
                found = true;
                break;
            }
            if (file_.Tell() >= size) {
                break;
            }
            file_.Seek(file_.Tell() + 7 + 3 * attempt);
        }
        if (!found) {
            if (error_ == kMediaErrorNone) {
                error_ = kMediaErrorHeader;
            }
            file_.Close();
            return false;
        }
        dataStart_ = file_.Tell();
    }
    int64_t end = size;
    Id3v1Record::Bytes tail{};
    if (size - dataStart_ >= static_cast<int64_t>(Id3v1Record::kSize) &&
        file_.ReadAt(size - Id3v1Record::kSize, tail.data(), Id3v1Record::kSize) &&
        Id3v1Record::IsRecord(tail.data(), tail.size())) {
        id3v1_ = Id3v1Record(tail);
        id3v1Set_ = id3v1OnDisk_ = true;
        end -= Id3v1Record::kSize;
    }
    length_ = end - dataStart_;
    position_ = 0;
    file_.Seek(dataStart_);
    return true;
}

void Mp3File::CloseHandle() {
    file_.Close();
}

void Mp3File::Close() {
    if (!file_.IsOpen()) {
        return;
    }
    const bool wasDirty = dirty_;
    if (dirty_) {
        Update();
    }
    if (id3v1Set_ && id3v1Changed_ && !readOnly_) {
        // Right behind the audio, in place of an older record there.
        const int64_t at = dataStart_ + length_;
        if (file_.WriteAt(at, id3v1_.bytes().data(), Id3v1Record::kSize)) {
            if (file_.Size() > at + static_cast<int64_t>(Id3v1Record::kSize)) {
                file_.Truncate(at + Id3v1Record::kSize);
            }
            id3v1Changed_ = false;
            id3v1OnDisk_ = true;
        }
    }
    file_.Close();
    if (temporary_ && !wasDirty) {
        ::unlink(fileName_.c_str());
    }
}

bool Mp3File::Update() {
    dirty_ = false;
    return true;
}

bool Mp3File::SkipId3v2() {
    if (file_.Tell() != 0) {
        return false;
    }
    unsigned char h[10];
    if (file_.Read(h, 10) != 10 || std::memcmp(h, "ID3", 3) != 0) {
        file_.Seek(0);
        return false;
    }
    for (int i = 6; i < 10; ++i) {
        if (h[i] >= 0x80) {
            return false;
        }
    }
    int64_t size = (int64_t{h[6]} << 21) | (int64_t{h[7]} << 14) | (int64_t{h[8]} << 7) | h[9];
    if (h[3] == 4 && (h[5] & 0x10) != 0) {
        size += 10;  // version 4 footer
    }
    return file_.Seek(10 + size);
}

int64_t Mp3File::FindFrameStart() {
    int64_t skipped = 0;
    for (;;) {
        const int b = file_.ReadByte();
        if (b < 0) {
            return -1;
        }
        if (b == 0xFF) {
            const int next = file_.ReadByte();
            if (next < 0) {
                return -1;
            }
            if (IsFrameSync(0xFF, static_cast<unsigned char>(next))) {
                file_.Seek(file_.Tell() - 2);
                return skipped;
            }
            file_.Seek(file_.Tell() - 1);  // next may start a frame itself
        }
        ++skipped;
    }
}

int64_t Mp3File::FindFrameOfThisFile() {
    int64_t skipped = 0;
    for (;;) {
        const int64_t n = FindFrameStart();
        if (n < 0) {
            return -1;
        }
        skipped += n;
        const int64_t start = file_.Tell();
        unsigned char h[4];
        const bool complete = file_.Read(h, 4) == 4;
        file_.Seek(start);
        if (!complete) {
            return -1;
        }
        const std::optional<Mp3FrameHeader> header = ParseMp3FrameHeader(h);
        const bool known = frame_.sampleRate != 0;  // a new file has no first frame yet
        if (header && (!known || (header->layer == frame_.layer &&
                                  header->sampleRate == frame_.sampleRate))) {
            return skipped;
        }
        file_.Seek(start + 1);  // a sync pattern inside a frame's data
        ++skipped;
    }
}

bool Mp3File::CheckFrame(bool checkNext) {
    if (FindFrameStart() < 0) {
        return false;
    }
    const int64_t start = file_.Tell();
    unsigned char h[4];
    const bool complete = file_.Read(h, 4) == 4;
    file_.Seek(start);
    if (!complete) {
        return false;
    }
    const std::optional<Mp3FrameHeader> header = ParseMp3FrameHeader(h);
    if (!header) {
        return false;
    }
    if (checkNext) {
        const int64_t next = start + header->FrameLength();
        unsigned char marker[3];
        const bool tagFollows = file_.ReadAt(next, marker, 3) && std::memcmp(marker, "TAG", 3) == 0;
        file_.Seek(next);
        // The next frame must follow at once; the end of the file (or the
        // ID3v1 record) will do as well.
        if (!tagFollows && FindFrameStart() > 0) {
            file_.Seek(start);
            return false;
        }
        file_.Seek(start);
    }
    frame_ = *header;
    // The record comes from the codec manager, so that the file plays
    // through its MP3 codec: first any format of the frame's channels and
    // rate that a PCM stream converts to, then the one of its bit rate.
    const auto channels = static_cast<uint16_t>(header->channels);
    const auto rate = static_cast<uint32_t>(header->sampleRate);
    const auto bytesPerSecond = static_cast<uint32_t>(header->bitRateKbps * 1000 / 8);
    const WaveFormat pcm = WaveFormat::Pcm(channels, rate, 16);
    WaveFormat wanted;
    wanted.formatTag = WaveFormat::kTagMpegLayer3;
    wanted.channels = channels;
    wanted.samplesPerSec = rate;
    wanted.avgBytesPerSec = 0;
    const std::optional<WaveFormat> suggested = codec::SuggestFormat(wanted);
    // Layer I and II frames are no MPEG Layer-3 data for the codec.
    if (header->layer != 3 || !suggested || !codec::CanOpenStream(pcm, *suggested)) {
        error_ = kMediaErrorCodecFormat;
        return false;
    }
    for (const WaveFormat& format : codec::EnumerateFormats(pcm)) {
        if (format.formatTag == WaveFormat::kTagMpegLayer3 && format.channels == channels &&
            format.samplesPerSec == rate && format.avgBytesPerSec == bytesPerSecond) {
            format_ = format;
            error_ = kMediaErrorNone;  // an earlier look-alike frame does not count
            return true;
        }
    }
    error_ = kMediaErrorCodecRate;
    return false;
}

bool Mp3File::Seek(int64_t position) {
    if (!IsOpen()) {
        return false;
    }
    const int64_t target = std::clamp<int64_t>(position, 0, length_);
    file_.Seek(dataStart_ + target);
    const int64_t skipped = FindFrameOfThisFile();
    if (skipped < 0 || file_.Tell() >= dataStart_ + length_) {
        position_ = length_;
    } else {
        position_ = file_.Tell() - dataStart_;
    }
    return true;
}

bool Mp3File::SetLength(int64_t bytes) {
    if (!IsOpen() || readOnly_ || bytes < 0 || bytes > length_) {
        return false;
    }
    length_ = bytes;
    position_ = std::min(position_, length_);
    if (id3v1Set_) {
        id3v1Changed_ = true;  // moves to the new end at close
    } else {
        file_.Truncate(dataStart_ + length_);
    }
    dirty_ = true;
    return true;
}

int64_t Mp3File::Write(const void* data, int64_t count) {
    if (!IsOpen() || count < 0) {
        return -1;
    }
    if (readOnly_) {
        return 0;
    }
    if (!overwrite_ && position_ != length_) {
        position_ = length_;
    }
    if (count == 0) {
        return 0;
    }
    const int64_t written = file_.WriteAt(dataStart_ + position_, data, count) ? count : -1;
    if (written < 0) {
        // Nothing of a write that did not complete stays behind the audio.
        if (position_ == length_ && !id3v1OnDisk_) {
            const int error = errno;
            file_.Truncate(dataStart_ + length_);
            errno = error;
        }
        return -1;
    }
    position_ += written;
    if (position_ > length_) {
        length_ = position_;
        if (id3v1Set_) {
            id3v1Changed_ = true;  // overwritten by audio: written again behind it
        }
    }
    dirty_ = true;
    return written;
}

int64_t Mp3File::Read(void* data, int64_t count) {
    if (!IsOpen() || count < 0) {
        return -1;
    }
    count = std::min(count, length_ - position_);
    if (count <= 0) {
        return 0;
    }
    file_.Seek(dataStart_ + position_);
    const int64_t read = file_.Read(data, count);
    if (read > 0) {
        position_ += read;
    }
    return read;
}

std::optional<std::string> Mp3File::GetTag(std::string_view name, std::size_t maxBytes) {
    if (!IsOpen() || Id3v2FrameOf(name).empty()) {
        return std::nullopt;
    }
    return ReadId3v2Frame(fileName_, name, maxBytes);
}

bool Mp3File::SetTag(std::string_view name, std::string_view text) {
    if (!IsOpen() || readOnly_ || Id3v2FrameOf(name).empty()) {
        return false;
    }
    const bool hadAudio = length_ > 0;
    const int64_t position = position_;
    const int64_t behindData = file_.Size() - dataStart_;  // audio and what follows it
    CloseHandle();
    const Id3v2AddResult result = AddFrame(name, text, behindData);
    if (!OpenFile(openMode_ & ~(kOpenCreate | kOpenDenyWrite))) {
        error_ = kMediaErrorOpen;
        return false;
    }
    // The tag writer changes only what stands before the audio.
    const int64_t size = file_.Size();
    dataStart_ = std::max<int64_t>(size - behindData, 0);
    if (hadAudio) {
        unsigned char sync[2];
        if (!file_.ReadAt(dataStart_, sync, 2) || !IsFrameSync(sync[0], sync[1])) {
            file_.Seek(0);
            SkipId3v2();
            if (FindFrameStart() >= 0) {
                dataStart_ = file_.Tell();
            }
        }
        length_ = std::clamp<int64_t>(length_, 0, size - dataStart_);
        position_ = std::min(position, length_);
    } else {
        position_ = 0;
    }
    if (result != Id3v2AddResult::kAdded) {
        return false;
    }
    if (Id3v1Record::HasField(name)) {
        id3v1_.SetField(name, text);
        id3v1Set_ = true;
        id3v1Changed_ = true;
    }
    return true;
}

namespace {

// All of count bytes at offset, or false.
bool WriteAllAt(int fd, const unsigned char* data, std::size_t count, int64_t offset) {
    const auto n = static_cast<int64_t>(count);
    return WriteFullyAt(fd, data, n, offset) == n;
}

bool ReadAllAt(int fd, unsigned char* data, std::size_t count, int64_t offset) {
    const auto n = static_cast<int64_t>(count);
    return ReadFullyAt(fd, data, n, offset) == n;
}

// The renamed file's folder entry reaches the disk.
void SyncFolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

Id3v2AddResult Mp3File::AddFrame(std::string_view name, std::string_view text, int64_t behindData) {
    const Id3v2Update update = PrepareId3v2Frame(fileName_, name, text);
    if (!enableId3v2Tag_ || update.result != Id3v2AddResult::kAdded) {
        return update.result;
    }
    // The new tag must keep the old one's frames, and the tag library must
    // not take audio of this file for a tag.
    if ((update.oldVersion != 0 && update.oldVersion != 3) || update.oldTagBytes > dataStart_) {
        return Id3v2AddResult::kFailed;
    }
    const auto room = static_cast<std::size_t>(update.oldTagBytes);
    if (room > 0 && update.tag.size() <= room) {
        return WriteTagInPlace(PadId3v2Tag(update.tag, room)) ? Id3v2AddResult::kAdded
                                                              : Id3v2AddResult::kFailed;
    }
    const std::vector<unsigned char> padded =
        PadId3v2Tag(update.tag, update.tag.size() + kTagPadding);
    return WriteTagBeside(padded, update.oldTagBytes, behindData) ? Id3v2AddResult::kAdded
                                                                  : Id3v2AddResult::kFailed;
}

bool Mp3File::WriteTagInPlace(const std::vector<unsigned char>& tag) {
    if (tag.size() < 10) {
        return false;
    }
    const int fd = ::open(fileName_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    std::vector<unsigned char> old(tag.size());
    // Only over a tag of the version the new one has (the frame sizes of
    // another version read differently).
    bool ok =
        ReadAllAt(fd, old.data(), old.size(), 0) && std::memcmp(old.data(), "ID3\x03", 4) == 0;
    if (ok) {
        // What changes is written so that a write cut short (a crash, a
        // failing disk) leaves a tag every reader takes: first four zeros
        // where the first changed frame starts, which end the tag there
        // (the frames before it stay as they were); then the rest of the
        // change; then that frame's id. The header comes last if it
        // differs (only when zeros or a second tag followed the old one);
        // until then the old header keeps its tag ending before the audio.
        const auto differs = [&](std::size_t i) { return old[i] != tag[i]; };
        std::size_t first = 10;
        while (first < tag.size() && !differs(first)) {
            ++first;
        }
        std::size_t last = tag.size();
        while (last > first && !differs(last - 1)) {
            --last;
        }
        if (first < last) {
            // The bytes before it are the same in both, so both have a
            // frame (or the padding) start there.
            first = Id3v2FrameStartAt(tag, first);
            const std::size_t id = std::min<std::size_t>(4, last - first);
            const unsigned char zeros[4] = {};
            const auto at = static_cast<int64_t>(first);
            ok = WriteAllAt(fd, zeros, id, at) && ::fsync(fd) == 0 &&
                 WriteAllAt(fd, tag.data() + first + id, last - first - id,
                            at + static_cast<int64_t>(id)) &&
                 ::fsync(fd) == 0 && WriteAllAt(fd, tag.data() + first, id, at) && ::fsync(fd) == 0;
        }
        if (ok && std::memcmp(old.data(), tag.data(), 10) != 0) {
            ok = WriteAllAt(fd, tag.data(), 10, 0) && ::fsync(fd) == 0;
        }
    }
    // What is on disk now is what was meant.
    ok = ok && ReadAllAt(fd, old.data(), old.size(), 0) && old == tag;
    if (::close(fd) != 0) {
        ok = false;
    }
    return ok;
}

bool Mp3File::WriteTagBeside(const std::vector<unsigned char>& tag, int64_t oldTagBytes,
                             int64_t behindData) {
    if (tag.empty()) {
        return false;
    }
    const int in = ::open(fileName_.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        return false;
    }
    struct stat info {};
    const std::string copy = fileName_ + ".tagging";
    int out = -1;
    if (::fstat(in, &info) == 0) {
        out = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, info.st_mode & 07777);
    }
    bool ok = out >= 0 && WriteAllAt(out, tag.data(), tag.size(), 0);
    // The audio, and whatever follows it, once.
    std::vector<unsigned char> buffer(256 * 1024);
    int64_t from = oldTagBytes;
    auto to = static_cast<int64_t>(tag.size());
    while (ok) {
        const int64_t n = ReadFullyAt(in, buffer.data(), static_cast<int64_t>(buffer.size()), from);
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        ok = WriteAllAt(out, buffer.data(), static_cast<std::size_t>(n), to);
        from += n;
        to += n;
    }
    ::close(in);
    if (out >= 0) {
        ok = ::fsync(out) == 0 && ok;
        ok = ::close(out) == 0 && ok;
    }
    if (ok) {
        std::vector<unsigned char> head(tag.size());
        BufferedFile written;
        ok = written.Open(copy, kOpenRead) &&
             written.ReadAt(0, head.data(), static_cast<int64_t>(head.size())) && head == tag;
    }
    if (!ok || !SameAudioBehindTag(copy, behindData) ||
        ::rename(copy.c_str(), fileName_.c_str()) != 0) {
        ::unlink(copy.c_str());
        return false;
    }
    SyncFolderOf(fileName_);
    return true;
}

bool Mp3File::SameAudioBehindTag(const std::string& copy, int64_t behindData) const {
    // Everything from the old audio start on must end the copy unchanged.
    BufferedFile original;
    BufferedFile tagged;
    if (!original.Open(fileName_, kOpenRead) || !tagged.Open(copy, kOpenRead)) {
        return false;
    }
    const int64_t offset = tagged.Size() - behindData;
    if (offset < 0 || original.Size() - dataStart_ != behindData) {
        return false;
    }
    std::vector<char> a(64 * 1024);
    std::vector<char> b(64 * 1024);
    for (int64_t at = 0; at < behindData;) {
        const int64_t n = std::min<int64_t>(static_cast<int64_t>(a.size()), behindData - at);
        if (!original.ReadAt(dataStart_ + at, a.data(), n) ||
            !tagged.ReadAt(offset + at, b.data(), n) ||
            std::memcmp(a.data(), b.data(), static_cast<size_t>(n)) != 0) {
            return false;
        }
        at += n;
    }
    return true;
}

bool Mp3File::Delete() {
    if (readOnly_) {
        return false;
    }
    id3v1Changed_ = false;
    const bool removed = CloseAndRemove();
    length_ = position_ = 0;
    return removed;
}
