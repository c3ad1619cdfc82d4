#include "platform/codec_stream.h"

#include <memory>

#include "platform/codec_engine.h"
#include "platform/codec_manager.h"

namespace codec {
namespace {

bool IsPcm16Or8(const WaveFormat& f) {
    return f.formatTag == kTagPcm && (f.bitsPerSample == 8 || f.bitsPerSample == 16) &&
           f.channels >= 1 && f.channels <= 2 && f.samplesPerSec > 0;
}

QByteArray Widen8To16(const char* data, int size) {
    QByteArray out(qsizetype{size} * 2, '\0');
    auto* dst = reinterpret_cast<int16_t*>(out.data());
    for (int i = 0; i < size; ++i) {
        dst[i] = static_cast<int16_t>((static_cast<uint8_t>(data[i]) - 128) * 256);
    }
    return out;
}

void Narrow16To8(const QByteArray& in, qsizetype from, QByteArray& out) {
    const auto* src = reinterpret_cast<const int16_t*>(in.constData() + from);
    const qsizetype n = (in.size() - from) / 2;
    for (qsizetype i = 0; i < n; ++i) {
        out.append(static_cast<char>((src[i] >> 8) + 128));
    }
}

}  // namespace

bool TagPossible(uint16_t tag) {
    if (tag == kTagPcm) {
        return true;
    }
    const CodecEngine* engine = Engine();
    return engine != nullptr && engine->tagPossible(tag);
}

struct CodecStream::Impl {
    WaveFormat source;
    WaveFormat target;
    // The codec of a compressed side; none between two PCM formats.
    std::unique_ptr<CodecCore> core;
    // PCM to PCM: a part sample.
    QByteArray kept;
    bool used = false;

    int ConvertPcm(const char* data, int size, QByteArray& out);
};

int CodecStream::Impl::ConvertPcm(const char* data, int size, QByteArray& out) {
    if (source.bitsPerSample == target.bitsPerSample) {
        out.append(data, size);
    } else if (source.bitsPerSample == 8) {
        out.append(Widen8To16(data, size));
    } else {
        kept.append(data, size);
        const qsizetype whole = kept.size() / 2 * 2;
        QByteArray part = kept.left(whole);
        Narrow16To8(part, 0, out);
        kept.remove(0, whole);
    }
    return kResultOk;
}

CodecStream::CodecStream(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

CodecStream::~CodecStream() = default;

std::unique_ptr<CodecStream> CodecStream::Open(const WaveFormat& source, const WaveFormat& target,
                                               int* result) {
    auto fail = [result](int code) {
        if (result != nullptr) {
            *result = code;
        }
        return std::unique_ptr<CodecStream>();
    };
    if (source.channels != target.channels || source.samplesPerSec != target.samplesPerSec ||
        source.channels < 1 || source.channels > 2 || source.samplesPerSec == 0) {
        return fail(kResultNotPossible);
    }
    auto impl = std::make_unique<Impl>();
    impl->source = source;
    impl->target = target;
    const bool pcmSource = IsPcm16Or8(source);
    const bool pcmTarget = IsPcm16Or8(target);
    if (pcmSource && !pcmTarget) {
        // The encoder writes only the records this manager describes.
        const auto known = SuggestFormat(target);
        if (!known || !(*known == target)) {
            return fail(kResultNotPossible);
        }
    } else if (pcmTarget && !pcmSource && source.blockAlign == 0) {
        return fail(kResultInvalidParam);
    } else if (!pcmSource && !pcmTarget) {
        return fail(kResultNotPossible);
    }
    if (!pcmSource || !pcmTarget) {
        const CodecEngine* engine = Engine();
        // The codec's side of PCM is 16 bits wide.
        WaveFormat pcm16 = pcmSource ? source : target;
        pcm16 = WaveFormat::Pcm(pcm16.channels, pcm16.samplesPerSec, 16);
        impl->core.reset(engine == nullptr ? nullptr
                                           : engine->open(pcmSource ? pcm16 : source,
                                                          pcmSource ? target : pcm16, pcmSource));
        if (impl->core == nullptr) {
            return fail(kResultNotPossible);
        }
    }
    if (result != nullptr) {
        *result = kResultOk;
    }
    return std::unique_ptr<CodecStream>(new CodecStream(std::move(impl)));
}

int CodecStream::Convert(const char* data, int size, unsigned flags, QByteArray& out) {
    Impl& d = *impl_;
    if (size < 0 || (size > 0 && data == nullptr)) {
        return kResultInvalidParam;
    }
    if (d.core == nullptr) {
        if ((flags & kStart) != 0 && d.used) {
            Reset();
        }
        d.used = true;
        return d.ConvertPcm(data, size, out);
    }
    if (d.source.formatTag == kTagPcm && d.source.bitsPerSample == 8) {
        const QByteArray wide = Widen8To16(data, size);
        return d.core->Convert(wide.constData(), static_cast<int>(wide.size()), flags, out);
    }
    if (d.target.formatTag == kTagPcm && d.target.bitsPerSample == 8) {
        QByteArray wide;
        const int converted = d.core->Convert(data, size, flags, wide);
        Narrow16To8(wide, 0, out);
        return converted;
    }
    return d.core->Convert(data, size, flags, out);
}

void CodecStream::Reset() {
    Impl& d = *impl_;
    d.kept.clear();
    d.used = false;
    if (d.core != nullptr) {
        d.core->Reset();
    }
}

int CodecStream::KeptBytes() const {
    return impl_->core != nullptr ? impl_->core->KeptBytes() : static_cast<int>(impl_->kept.size());
}

const WaveFormat& CodecStream::Source() const {
    return impl_->source;
}

const WaveFormat& CodecStream::Target() const {
    return impl_->target;
}

}  // namespace codec
