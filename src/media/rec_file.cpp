#include "media/rec_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "media/byte_order.h"
#include "media/file_io.h"
#include "media/mp3_file.h"
#include "media/wave_file.h"

namespace {

// Comment texts are one line of the metadata item.
std::string OneLine(std::string_view text) {
    std::string line(text);
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; }, ' ');
    return line;
}

}  // namespace

RecFile::RecFile(const std::string& path, const WaveFormat* format, unsigned openMode,
                 bool defaultMp3, bool mp3EnableTag, Clock& clock)
    : clock_(clock),
      mp3EnableTag_(mp3EnableTag),
      mp3_(path.size() >= 4 ? HasExtension(path, ".mp3") : defaultMp3),
      media_(MakeMedia(path, format, openMode)),
      recovery_(RecoveryPath(media_->GetFileName())) {
    if (!path.empty() && media_->GetLength() != 0) {
        LoadMetadata();
    }
}

RecFile::~RecFile() {
    const bool wasDirty = media_->IsDirty();
    const int64_t position = media_->GetPosition();
    media_->Update();
    if (wasDirty && media_->IsOpen() && !media_->IsReadOnly()) {
        // Kept until the item is safely in the recording.
        WriteRecoveryFile();
        if (media_->SetTag(kTimecodeTagName, BuildItem())) {
            itemStored_ = true;
        }
        media_->Seek(position);
    }
    media_.reset();
    if (itemStored_) {
        recovery_.Remove();
    }
}

std::unique_ptr<MediaFile> RecFile::MakeMedia(const std::string& path, const WaveFormat* format,
                                              unsigned openMode) const {
    if (mp3_) {
        return std::make_unique<Mp3File>(path, format, openMode, mp3EnableTag_);
    }
    return std::make_unique<WaveFile>(path, format, openMode);
}

std::string RecFile::RecoveryPath(const std::string& path) {
    return RecoveryFile::PathFor(path);
}

void RecFile::LoadMetadata() {
    timecodes_.clear();
    comments_.clear();
    std::optional<std::string> item = media_->GetTag(kTimecodeTagName, kMaxTagBytes);
    if (!item) {
        item = RecoveryFile::Read(recovery_.path());
    }
    if (!item) {
        return;
    }
    MetadataLines lines = ParseMetadataItem(*item);
    timecodes_ = std::move(lines.timecodes);
    for (RecComment& comment : lines.comments) {
        if (!comment.text.empty()) {
            InsertComment(std::move(comment.text), comment.start, comment.end);
        }
    }
}

bool RecFile::ReloadMetadata() {
    if (media_->GetLength() != 0) {
        LoadMetadata();
    }
    return true;
}

int64_t RecFile::WriteAudio(const void* data, int64_t count) {
    if (!sessionStamped_ && count > 0 && media_->IsOpen() && !media_->IsReadOnly()) {
        // The first audio of this recording session: when it was recorded.
        sessionStamped_ = true;
        if (timecodes_.size() < MetadataLines::kMaxTimecodes) {
            const int64_t at = media_->IsOverwrite() ? media_->GetPosition() : media_->GetLength();
            timecodes_.push_back({clock_.Now(), at});
        }
        // A crash from here on keeps the start time and the metadata.
        WriteRecoveryFile();
    }
    const int64_t lengthBefore = media_->GetLength();
    errno = 0;
    int64_t written = media_->Write(data, count);
    if (written != count) {
        const int error = errno;
        if (!media_->IsOverwrite() && media_->GetLength() > lengthBefore) {
            media_->SetLength(lengthBefore);
        }
        if (error != 0) {
            writeFailure_ = std::strerror(error);
        } else if (media_->IsOpen() && !media_->IsReadOnly()) {
            writeFailure_ = "The file has reached the largest size of its format";
        } else {
            writeFailure_ = "The file is not open for writing";
        }
        written = -1;
    }
    ++writeCount_;
    if (!mp3_ && written > 0 && writeCount_ % kHeaderInterval == 0 &&
        writeCount_ < kReopenInterval) {
        // Readers see the audio so far: the sizes in the header are two
        // small writes.
        media_->Update();
        media_->SetDirty(true);
    }
    if (!mp3_ && writeCount_ >= kReopenInterval) {
        writeCount_ = 0;
        if (media_->IsOpen() && !media_->IsReadOnly()) {
            Reopen();
            media_->SetDirty(true);  // the metadata item is written at the end
        }
    }
    return written;
}

void RecFile::Reopen() {
    const int64_t position = media_->GetPosition();
    const bool temporary = media_->IsTemporary();
    const bool overwrite = media_->IsOverwrite();
    const std::string name = media_->GetFileName();
    const unsigned openMode = media_->GetOpenMode();
    // Deleted or moved meanwhile: the file is made again in the
    // recording's own format, never in the default one.
    const WaveFormat format = media_->Format();
    // The header holds an estimate while recording; the count the recorder
    // adds at its stop goes on top of what was counted before.
    const auto* wave = dynamic_cast<const WaveFile*>(media_.get());
    const uint64_t samples = wave ? wave->GetSampleCount() : 0;
    media_.reset();  // all headers and sizes go to disk
    // What a crash from here on would otherwise lose.
    WriteRecoveryFile();
    media_ = MakeMedia(name, &format, openMode & ~kOpenCreate);
    media_->SetTemporary(temporary);
    media_->SetOverwrite(overwrite);
    if (auto* reopened = dynamic_cast<WaveFile*>(media_.get())) {
        reopened->SetSampleCount(samples);
        reopened->SetPlainRiffLimit(plainRiffLimit_);
    }
    media_->Seek(position);
}

void RecFile::SetPlainRiffLimit(int64_t bytes) {
    plainRiffLimit_ = bytes;
    if (auto* riff = dynamic_cast<RiffFile*>(media_.get())) {
        riff->SetPlainRiffLimit(bytes);
    }
}

std::optional<std::string> RecFile::GetTag(std::string_view name, std::size_t maxBytes) {
    return media_->GetTag(name, maxBytes);
}

bool RecFile::SetTag(std::string_view name, std::string_view text) {
    // Headers first, so that clearing the dirty flag loses nothing.
    media_->Update();
    const bool stored = media_->SetTag(name, text);
    if (stored && EqualsIgnoreCase(name, kTimecodeTagName)) {
        itemStored_ = true;
    }
    media_->SetDirty(false);
    return stored;
}

int64_t RecFile::ReadAudio(void* data, int64_t count) {
    return media_->Read(data, count);
}
int64_t RecFile::GetPosition() const {
    return media_->GetPosition();
}
bool RecFile::Seek(int64_t position) {
    return media_->Seek(position);
}
int64_t RecFile::GetLength() const {
    return media_->GetLength();
}
void RecFile::AddSampleCount(uint32_t samples) {
    media_->AddSampleCount(samples);
}
const WaveFormat& RecFile::Format() const {
    return media_->Format();
}
bool RecFile::IsOpen() const {
    return media_->IsOpen();
}
int RecFile::GetError() const {
    return media_->GetError();
}
std::string RecFile::GetFileName() const {
    return media_->GetFileName();
}
std::string RecFile::GetFileTitle() const {
    return media_->GetFileTitle();
}

std::time_t RecFile::TimeAt(int64_t position) const {
    if (timecodes_.empty()) {
        return 0;
    }
    // The last entry at the greatest position not above the given one, else
    // the first entry.
    const TimecodeEntry* best = nullptr;
    for (const TimecodeEntry& entry : timecodes_) {
        if (entry.position <= position && (!best || entry.position >= best->position)) {
            best = &entry;
        }
    }
    if (!best) {
        best = &timecodes_.front();
    }
    const uint32_t bytesPerSecond = Format().avgBytesPerSec;
    if (best->time == 0 || bytesPerSecond == 0) {
        return 0;
    }
    const int64_t offset = position - best->position;
    return best->time + static_cast<std::time_t>(offset / static_cast<int64_t>(bytesPerSecond));
}

void RecFile::CloseCommentsAt(uint32_t position) {
    for (RecComment& comment : comments_) {
        if (comment.start < position && (comment.end > position || comment.end == 0)) {
            comment.end = position;
        }
    }
}

void RecFile::InsertComment(std::string text, uint32_t start, uint32_t end) {
    for (RecComment& comment : comments_) {
        if (comment.start == start) {
            comment.text = std::move(text);
            return;
        }
    }
    CloseCommentsAt(start);
    if (end == 0 || end == RecComment::kOpenEnd) {
        end = RecComment::kOpenEnd;
        for (const RecComment& comment : comments_) {
            if (comment.start > start && comment.start < end) {
                end = comment.start;
            }
        }
    }
    comments_.push_back({std::move(text), start, end});
}

void RecFile::AddComment(std::string_view text, uint32_t start, uint32_t end) {
    if (!media_->IsOpen() || media_->IsReadOnly()) {
        return;
    }
    const auto position = static_cast<uint32_t>(media_->GetPosition());
    if (text.empty()) {
        CloseCommentsAt(position);
    } else {
        InsertComment(OneLine(text), start == kCurrentPosition ? position : start, end);
    }
    media_->SetDirty(true);
}

std::string RecFile::BuildItem() const {
    return BuildMetadataItem(timecodes_, comments_);
}

bool RecFile::WriteRecoveryFile() {
    return recovery_.Write(recoveryItem_.empty() ? BuildItem() : recoveryItem_);
}

void RecFile::SetRecoveryItem(std::string_view item) {
    recoveryItem_ = item;
    if (recovery_.IsHeld()) {
        WriteRecoveryFile();
    }
}
