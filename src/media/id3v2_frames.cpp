#include "media/id3v2_frames.h"

#include <id3/tag.h>

#include <algorithm>
#include <array>
#include <memory>

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
        const unicode_t* text = field.GetRawUnicodeText();
        std::string out;
        for (std::size_t i = 0; text && text[i] != 0; ++i) {
            out.push_back(text[i] < 256 ? static_cast<char>(text[i]) : '?');
        }
        return out;
    }
    const char* text = field.GetRawText();
    return text ? std::string(text) : std::string();
}

}  // namespace

std::string_view Id3v2FrameOf(std::string_view name) {
    const FrameName* entry = Find(name);
    return entry ? entry->code : std::string_view();
}

Id3v2AddResult AddId3v2Frame(const std::string& path, std::string_view name, std::string_view text,
                             bool writeTag) {
    const FrameName* entry = Find(name);
    if (!entry) {
        return Id3v2AddResult::kFailed;
    }
    ID3_Tag tag;
    tag.Link(path.c_str(), ID3TT_ID3V2);
    if (ID3_Frame* existing = FindOurs(tag, entry->frame)) {
        if (entry->frame != ID3FID_PRIVATE) {
            return Id3v2AddResult::kExists;
        }
        delete tag.RemoveFrame(existing);
    }
    auto frame = std::make_unique<ID3_Frame>(entry->frame);
    const std::string value(text);
    if (entry->frame == ID3FID_PRIVATE) {
        ID3_Field* owner = frame->GetField(ID3FN_OWNER);
        ID3_Field* data = frame->GetField(ID3FN_DATA);
        if (!owner || !data) {
            return Id3v2AddResult::kFailed;
        }
        owner->Set(kPrivOwner);
        data->Set(reinterpret_cast<const uchar*>(value.c_str()), value.size() + 1);
    } else {
        ID3_Field* field = frame->GetField(ID3FN_TEXT);
        if (!field) {
            return Id3v2AddResult::kFailed;
        }
        field->Set(value.c_str());
        if (ID3_Field* language = frame->GetField(ID3FN_LANGUAGE)) {
            language->Set("eng");
        }
    }
    tag.AttachFrame(frame.release());
    if (writeTag && (tag.Update(ID3TT_ID3V2) & ID3TT_ID3V2) == 0) {
        return Id3v2AddResult::kFailed;
    }
    return Id3v2AddResult::kAdded;
}

std::optional<std::string> ReadId3v2Frame(const std::string& path, std::string_view name,
                                          std::size_t maxBytes) {
    const FrameName* entry = Find(name);
    if (!entry) {
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
