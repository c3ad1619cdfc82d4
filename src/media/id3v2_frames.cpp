#include "media/id3v2_frames.h"

#include <id3/tag.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "media/file_io.h"
#include "media/media_file.h"

namespace {

struct FrameName {
    const char* name;
    ID3_FrameID frame;
    const char* code;
};
constexpr std::array<FrameName, 10> kFrames = {{
    {"comment", ID3FID_COMMENT, "COMM"},
    {"copyright", ID3FID_COPYRIGHT, "TCOP"},
    {"title", ID3FID_TITLE, "TIT2"},
    {"name", ID3FID_TITLE, "TIT2"},
    {"software", ID3FID_ENCODERSETTINGS, "TSSE"},
    {"artist", ID3FID_LEADARTIST, "TPE1"},
    {"user", ID3FID_ENCODEDBY, "TENC"},
    {"year", ID3FID_YEAR, "TYER"},
    {"album", ID3FID_ALBUM, "TALB"},
    {kTimecodeTagName, ID3FID_PRIVATE, "PRIV"},
}};

const FrameName* Find(std::string_view name) {
    for (const FrameName& entry : kFrames) {
        if (EqualsIgnoreCase(name, entry.name)) {
            return &entry;
        }
    }
    return nullptr;
}

ID3_Frame* FindOurs(const ID3_Tag& tag, ID3_FrameID frame) {
    if (frame == ID3FID_PRIVATE) {
        return tag.Find(ID3FID_PRIVATE, ID3FN_OWNER, kPrivOwner);
    }
    return tag.Find(frame);
}

// Text of a field in any of the tag's encodings, one byte per character.
std::string FieldText(const ID3_Field& field) {
    const ID3_TextEnc encoding = field.GetEncoding();
    if (encoding == ID3TE_UTF16 || encoding == ID3TE_UTF16BE) {
        // Size() counts the bytes of the text, which need not end in a zero
        // character. Latin-1 text has a zero high byte in every pair: that
        // tells the byte order.
        const auto* bytes = reinterpret_cast<const unsigned char*>(field.GetRawUnicodeText());
        const std::size_t pairs = bytes ? field.Size() / 2 : 0;
        std::size_t zeroFirst = 0;
        for (std::size_t i = 0; i < pairs; ++i) {
            zeroFirst += bytes[2 * i] == 0 ? 1 : 0;
        }
        const bool bigEndian = zeroFirst * 2 >= pairs;
        std::string out;
        for (std::size_t i = 0; i < pairs; ++i) {
            const unsigned high = bytes[2 * i + (bigEndian ? 0 : 1)];
            const unsigned low = bytes[2 * i + (bigEndian ? 1 : 0)];
            const unsigned c = high << 8 | low;
            if (c == 0) {
                break;
            }
            if (c != 0xFEFF) {
                out.push_back(c < 256 ? static_cast<char>(c) : '?');
            }
        }
        return out;
    }
    const char* text = field.GetRawText();
    if (!text) {
        return {};
    }
    const std::size_t size = field.Size();
    return std::string(text, std::find(text, text + size, '\0'));
}

// Largest tag handed to the tag library.
constexpr std::size_t kMaxTagSize = 16 * 1024 * 1024;

uint32_t Syncsafe(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) << 21 | static_cast<uint32_t>(p[1]) << 14 |
           static_cast<uint32_t>(p[2]) << 7 | p[3];
}

// The largest value of a 28-bit syncsafe size.
constexpr std::size_t kMaxSyncsafe = 0x0FFFFFFF;

void StoreSyncsafe(unsigned char* p, uint32_t value) {
    p[0] = static_cast<unsigned char>((value >> 21) & 0x7F);
    p[1] = static_cast<unsigned char>((value >> 14) & 0x7F);
    p[2] = static_cast<unsigned char>((value >> 7) & 0x7F);
    p[3] = static_cast<unsigned char>(value & 0x7F);
}

// A file of the system's folder for temporary files, removed with this.
class ScratchFile {
  public:
    ScratchFile() : path_(MakeTempFile(TempDirectory(), "plumora-tag")) {}
    ~ScratchFile() {
        if (!path_.empty()) {
            ::unlink(path_.c_str());
        }
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// The first count bytes of the file at from into the file at to.
bool CopyHead(const std::string& from, int64_t count, const std::string& to) {
    BufferedFile in;
    BufferedFile out;
    std::vector<unsigned char> bytes(static_cast<std::size_t>(count));
    return in.Open(from, kOpenRead) && in.ReadAt(0, bytes.data(), count) &&
           out.Open(to, kOpenReadWrite | kOpenCreate) && out.WriteAt(0, bytes.data(), count);
}

// Where the frames of a rendered tag end: a version 2.3 tag without flags,
// whose frames are followed by nothing but zeros. 0 for anything else.
std::size_t FramesEnd(const std::vector<unsigned char>& tag) {
    if (tag.size() < 10 || tag[0] != 'I' || tag[1] != 'D' || tag[2] != '3' || tag[3] != 3 ||
        tag[5] != 0 || 10 + static_cast<std::size_t>(Syncsafe(tag.data() + 6)) != tag.size()) {
        return 0;
    }
    std::size_t at = 10;
    while (at + 10 <= tag.size() && tag[at] != 0) {
        const std::size_t frameSize = static_cast<std::size_t>(tag[at + 4]) << 24 |
                                      tag[at + 5] << 16 | tag[at + 6] << 8 | tag[at + 7];
        if (frameSize > tag.size() - at - 10) {
            return 0;
        }
        at += 10 + frameSize;
    }
    const bool zerosBehind = std::all_of(tag.begin() + static_cast<std::ptrdiff_t>(at), tag.end(),
                                         [](unsigned char b) { return b == 0; });
    return zerosBehind && at > 10 ? at : 0;
}

bool FrameIdChar(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// The tag library reads every tag of a chain at the start of the file, and
// takes zero bytes after the chain (also after a lone 0xFF) for padding that
// its next write drops, which puts a tag behind them next to the new one:
// each of those tags must be safe.
bool FileTagsAreSafe(const std::string& path) {
    BufferedFile file;
    if (!file.Open(path, kOpenRead)) {
        return true;  // the tag library finds nothing either
    }
    int64_t at = 0;
    int64_t checked = 0;
    for (;;) {
        unsigned char header[10];
        if (!file.ReadAt(at, header, 10) || header[0] != 'I' || header[1] != 'D' ||
            header[2] != '3') {
            // Padding the tag library skips: zeros, or 0xFF and three zeros.
            int64_t next = at;
            if (file.ReadAt(at, header, 4) && header[0] == 0xFF && header[1] == 0 &&
                header[2] == 0 && header[3] == 0) {
                next = at + 1;
            }
            file.Seek(next);
            int b = file.ReadByte();
            while (b == 0) {
                if (++checked > static_cast<int64_t>(kMaxTagSize)) {
                    return false;
                }
                b = file.ReadByte();
            }
            if (b < 0 || file.Tell() - 1 == at) {
                return true;  // the end of the file, or audio right here
            }
            at = file.Tell() - 1;
            if (!file.ReadAt(at, header, 3) || header[0] != 'I' || header[1] != 'D' ||
                header[2] != '3') {
                return true;
            }
            continue;
        }
        for (int i = 6; i < 10; ++i) {
            if (header[i] >= 0x80) {
                return false;
            }
        }
        const std::size_t total = 10 + static_cast<std::size_t>(Syncsafe(header + 6));
        checked += static_cast<int64_t>(total);
        if (checked > static_cast<int64_t>(kMaxTagSize)) {
            return false;
        }
        std::vector<unsigned char> bytes(total);
        if (!file.ReadAt(at, bytes.data(), static_cast<int64_t>(total)) ||
            !Id3v2TagIsSafe(bytes.data(), bytes.size())) {
            return false;  // claims more than the file has, or not safe
        }
        at += static_cast<int64_t>(total);
    }
}

}  // namespace

bool Id3v2TagIsSafe(const unsigned char* bytes, std::size_t size) {
    if (size < 10 || bytes[0] != 'I' || bytes[1] != 'D' || bytes[2] != '3') {
        return true;
    }
    const unsigned version = bytes[3];
    const unsigned flags = bytes[5];
    if ((version != 3 && version != 4) || (flags & 0xC0) != 0) {
        return false;  // other versions, unsynchronisation, extended header
    }
    for (int i = 6; i < 10; ++i) {
        if (bytes[i] >= 0x80) {
            return false;
        }
    }
    const std::size_t end = 10 + static_cast<std::size_t>(Syncsafe(bytes + 6));
    if (end > size) {
        return false;
    }
    std::size_t at = 10;
    while (at + 10 <= end) {
        const unsigned char* frame = bytes + at;
        if (frame[0] == 0) {
            // Padding. The tag library (as other readers) reads nothing
            // behind a zero where a frame would start, so the bytes there
            // need not be zeros: a tag written over an old one and cut
            // short ends here.
            return true;
        }
        if (!std::all_of(frame, frame + 4, FrameIdChar)) {
            return false;
        }
        std::size_t frameSize = 0;
        if (version == 4) {
            for (int i = 4; i < 8; ++i) {
                if (frame[i] >= 0x80) {
                    return false;
                }
            }
            frameSize = Syncsafe(frame + 4);
        } else {
            frameSize = static_cast<std::size_t>(frame[4]) << 24 | frame[5] << 16 | frame[6] << 8 |
                        frame[7];
        }
        // Compression, encryption, grouping (and in 2.4 unsynchronisation
        // and a data length) change how the contents are read.
        const unsigned formatFlags = frame[9];
        if ((version == 3 && (formatFlags & 0xE0) != 0) ||
            (version == 4 && (formatFlags & 0x4F) != 0)) {
            return false;
        }
        if (frameSize == 0 || frameSize > end - at - 10) {
            return false;
        }
        const unsigned char* contents = frame + 10;
        const std::string_view id(reinterpret_cast<const char*>(frame), 4);
        const unsigned maxEncoding = version == 4 ? 3 : 1;
        if (id[0] == 'T' || id == "COMM" || id == "USLT") {
            const std::size_t minimum = id[0] == 'T' ? 1 : 4;
            if (frameSize < minimum || contents[0] > maxEncoding) {
                return false;
            }
        } else if (id[0] != 'W' && id != "PRIV") {
            return false;  // a frame kind the tag library is not trusted with
        }
        at += 10 + frameSize;
    }
    return std::all_of(bytes + at, bytes + end, [](unsigned char b) { return b == 0; });
}

std::string_view Id3v2FrameOf(std::string_view name) {
    const FrameName* entry = Find(name);
    return entry ? entry->code : std::string_view();
}

Id3v2Update PrepareId3v2Frame(const std::string& path, std::string_view name,
                              std::string_view text) {
    Id3v2Update update;
    const FrameName* entry = Find(name);
    if (!entry || !FileTagsAreSafe(path)) {
        return update;
    }
    unsigned char head[4] = {};
    BufferedFile file;
    if (file.Open(path, kOpenRead) && file.ReadAt(0, head, 4) && std::memcmp(head, "ID3", 3) == 0) {
        update.oldVersion = head[3];
    }
    {
        ID3_Tag old;
        old.Link(path.c_str(), ID3TT_ID3V2);
        update.oldTagBytes = static_cast<int64_t>(old.GetPrependedBytes());
    }
    // The tag library renders a tag into memory only through a copy of the
    // tag that its frames do not survive intact. So it writes the new tag
    // into a file of the old tags alone, which is then read.
    const ScratchFile scratch;
    if (scratch.path().empty() || !CopyHead(path, update.oldTagBytes, scratch.path())) {
        return update;
    }
    ID3_Tag tag;
    tag.Link(scratch.path().c_str(), ID3TT_ID3V2);
    if (ID3_Frame* existing = FindOurs(tag, entry->frame)) {
        if (entry->frame != ID3FID_PRIVATE) {
            update.result = Id3v2AddResult::kExists;
            return update;
        }
        delete tag.RemoveFrame(existing);
    }
    auto frame = std::make_unique<ID3_Frame>(entry->frame);
    const std::string value(text);
    if (entry->frame == ID3FID_PRIVATE) {
        ID3_Field* owner = frame->GetField(ID3FN_OWNER);
        ID3_Field* data = frame->GetField(ID3FN_DATA);
        if (!owner || !data) {
            return update;
        }
        owner->Set(kPrivOwner);
        data->Set(reinterpret_cast<const uchar*>(value.c_str()), value.size() + 1);
    } else {
        ID3_Field* field = frame->GetField(ID3FN_TEXT);
        if (!field) {
            return update;
        }
        field->Set(value.c_str());
        if (ID3_Field* language = frame->GetField(ID3FN_LANGUAGE)) {
            language->Set("eng");
        }
    }
    tag.AttachFrame(frame.release());
    if ((tag.Update(ID3TT_ID3V2) & ID3TT_ID3V2) == 0) {
        return update;
    }
    BufferedFile written;
    if (!written.Open(scratch.path(), kOpenRead) ||
        written.Size() > static_cast<int64_t>(10 + kMaxSyncsafe)) {
        return update;
    }
    std::vector<unsigned char> rendered(static_cast<std::size_t>(written.Size()));
    if (!written.ReadAt(0, rendered.data(), static_cast<int64_t>(rendered.size()))) {
        return update;
    }
    // The library pads as it likes; the caller decides on the padding.
    const std::size_t end = FramesEnd(rendered);
    if (end == 0) {
        return update;
    }
    rendered.resize(end);
    StoreSyncsafe(rendered.data() + 6, static_cast<uint32_t>(end - 10));
    if (!Id3v2TagIsSafe(rendered.data(), rendered.size())) {
        return update;
    }
    update.tag = std::move(rendered);
    update.result = Id3v2AddResult::kAdded;
    return update;
}

std::size_t Id3v2FrameStartAt(const std::vector<unsigned char>& tag, std::size_t offset) {
    std::size_t at = 10;
    while (at + 10 <= tag.size() && tag[at] != 0) {
        const std::size_t next = at + 10 +
                                 (static_cast<std::size_t>(tag[at + 4]) << 24 | tag[at + 5] << 16 |
                                  tag[at + 6] << 8 | tag[at + 7]);
        if (next > offset) {
            return at;
        }
        at = next;
    }
    return std::min(at, offset);
}

std::vector<unsigned char> PadId3v2Tag(std::vector<unsigned char> tag, std::size_t size) {
    if (tag.size() < 10 || size < tag.size() || size - 10 > kMaxSyncsafe) {
        return {};
    }
    tag.resize(size, 0);
    StoreSyncsafe(tag.data() + 6, static_cast<uint32_t>(size - 10));
    return tag;
}

std::optional<std::string> ReadId3v2Frame(const std::string& path, std::string_view name,
                                          std::size_t maxBytes) {
    const FrameName* entry = Find(name);
    if (!entry) {
        return std::nullopt;
    }
    if (!FileTagsAreSafe(path)) {
        return std::nullopt;
    }
    ID3_Tag tag;
    tag.Link(path.c_str(), ID3TT_ID3V2);
    ID3_Frame* frame = FindOurs(tag, entry->frame);
    if (!frame && entry->frame == ID3FID_PRIVATE) {
        frame = tag.Find(ID3FID_PRIVATE);
    }
    if (!frame) {
        return std::nullopt;
    }
    std::string text;
    if (entry->frame == ID3FID_PRIVATE) {
        const ID3_Field* data = frame->GetField(ID3FN_DATA);
        const uchar* bytes = data ? data->GetRawBinary() : nullptr;
        if (!bytes) {
            return std::nullopt;
        }
        const auto* begin = reinterpret_cast<const char*>(bytes);
        text.assign(begin, std::find(begin, begin + data->Size(), '\0'));
    } else {
        const ID3_Field* field = frame->GetField(ID3FN_TEXT);
        if (!field) {
            return std::nullopt;
        }
        text = FieldText(*field);
    }
    if (text.size() > maxBytes) {
        text.resize(maxBytes);
    }
    return text;
}
