// The codec module: encoders and decoders of the compressed WAVE formats
// and MP3 on FFmpeg's libavcodec, loaded by the program on first use
// (platform/codec_engine.h).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

#include "platform/codec_engine.h"
#include "platform/codec_manager.h"
#include "platform/codec_stream.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
}

namespace codec {
namespace {

// Samples per channel handed to a codec that takes frames of any size.
constexpr int kVariableFrameSamples = 1024;

void QuietLibraryLog() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_FATAL); });
}

AVCodecID CodecId(uint16_t tag) {
    switch (tag) {
        case kTagMsAdpcm:
            return AV_CODEC_ID_ADPCM_MS;
        case kTagALaw:
            return AV_CODEC_ID_PCM_ALAW;
        case kTagMuLaw:
            return AV_CODEC_ID_PCM_MULAW;
        case kTagImaAdpcm:
            return AV_CODEC_ID_ADPCM_IMA_WAV;
        case kTagGsm610:
            return AV_CODEC_ID_GSM_MS;
        case kTagMpegLayer3:
            return AV_CODEC_ID_MP3;
        default:
            return AV_CODEC_ID_NONE;
    }
}

const AVCodec* FindEncoder(uint16_t tag) {
    if (tag == kTagMpegLayer3) {
        // Only the LAME encoder writes every bit rate and rate we offer.
        return avcodec_find_encoder_by_name("libmp3lame");
    }
    const AVCodecID id = CodecId(tag);
    return id == AV_CODEC_ID_NONE ? nullptr : avcodec_find_encoder(id);
}

const AVCodec* FindDecoder(uint16_t tag) {
    const AVCodecID id = CodecId(tag);
    return id == AV_CODEC_ID_NONE ? nullptr : avcodec_find_decoder(id);
}

AVSampleFormat PickSampleFormat(const AVCodec* codec) {
    static constexpr AVSampleFormat kUsable[] = {AV_SAMPLE_FMT_S16,  AV_SAMPLE_FMT_S16P,
                                                 AV_SAMPLE_FMT_FLTP, AV_SAMPLE_FMT_FLT,
                                                 AV_SAMPLE_FMT_S32P, AV_SAMPLE_FMT_S32};
    if (codec->sample_fmts == nullptr) {
        return AV_SAMPLE_FMT_S16;
    }
    for (AVSampleFormat wanted : kUsable) {
        for (const AVSampleFormat* f = codec->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f) {
            if (*f == wanted) {
                return wanted;
            }
        }
    }
    return AV_SAMPLE_FMT_NONE;
}

void FillFrame(AVFrame* frame, const int16_t* s, int n, int channels) {
    const auto format = static_cast<AVSampleFormat>(frame->format);
    const bool planar = av_sample_fmt_is_planar(format) != 0;
    for (int c = 0; c < channels; ++c) {
        uint8_t* base = frame->data[planar ? c : 0];
        for (int i = 0; i < n; ++i) {
            const int16_t v = s[i * channels + c];
            const int at = planar ? i : i * channels + c;
            switch (format) {
                case AV_SAMPLE_FMT_S16:
                case AV_SAMPLE_FMT_S16P:
                    reinterpret_cast<int16_t*>(base)[at] = v;
                    break;
                case AV_SAMPLE_FMT_FLT:
                case AV_SAMPLE_FMT_FLTP:
                    reinterpret_cast<float*>(base)[at] = static_cast<float>(v) / 32768.0f;
                    break;
                default:  // 32-bit integer
                    reinterpret_cast<int32_t*>(base)[at] = static_cast<int32_t>(v) * 65536;
                    break;
            }
        }
    }
}

int16_t ClampFloat(double v) {
    const double scaled = std::lround(v * 32768.0);
    return static_cast<int16_t>(std::clamp(scaled, -32768.0, 32767.0));
}

// Appends a decoded frame as interleaved 16-bit samples.
void AppendFrame(const AVFrame* frame, QByteArray& out) {
    const auto format = static_cast<AVSampleFormat>(frame->format);
    const bool planar = av_sample_fmt_is_planar(format) != 0;
    const AVSampleFormat packed = av_get_packed_sample_fmt(format);
    const int channels = frame->ch_layout.nb_channels;
    const int n = frame->nb_samples;
    const qsizetype start = out.size();
    out.resize(start + qsizetype{n} * channels * 2);
    auto* dst = reinterpret_cast<int16_t*>(out.data() + start);
    for (int c = 0; c < channels; ++c) {
        const uint8_t* base = frame->extended_data[planar ? c : 0];
        for (int i = 0; i < n; ++i) {
            const int at = planar ? i : i * channels + c;
            int16_t v = 0;
            switch (packed) {
                case AV_SAMPLE_FMT_U8:
                    v = static_cast<int16_t>((base[at] - 128) * 256);
                    break;
                case AV_SAMPLE_FMT_S16:
                    v = reinterpret_cast<const int16_t*>(base)[at];
                    break;
                case AV_SAMPLE_FMT_S32:
                    v = static_cast<int16_t>(reinterpret_cast<const int32_t*>(base)[at] >> 16);
                    break;
                case AV_SAMPLE_FMT_FLT:
                    v = ClampFloat(reinterpret_cast<const float*>(base)[at]);
                    break;
                case AV_SAMPLE_FMT_DBL:
                    v = ClampFloat(reinterpret_cast<const double*>(base)[at]);
                    break;
                default:
                    break;
            }
            dst[i * channels + c] = v;
        }
    }
}

struct FfmpegCore final : CodecCore {
    enum class Kind { kEncode, kDecode };

    WaveFormat source;
    WaveFormat target;
    Kind kind = Kind::kEncode;
    const AVCodec* codec = nullptr;
    AVCodecContext* ctx = nullptr;
    AVCodecParserContext* parser = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    // Encoder: 16-bit PCM waiting for a whole frame. Decoder: compressed
    // bytes waiting for a whole block.
    QByteArray kept;
    int frameSamples = 0;
    bool fixedFrame = false;
    bool ended = false;
    bool used = false;
    // The codec could not be opened again after a reset.
    bool broken = false;
    int64_t pts = 0;

    ~FfmpegCore() override { CloseCodec(); }

    int Convert(const char* data, int size, unsigned flags, QByteArray& out) override;
    void Reset() override;
    int KeptBytes() const override { return static_cast<int>(kept.size()); }

    const WaveFormat& Compressed() const { return kind == Kind::kEncode ? target : source; }

    bool OpenCodec();
    void CloseCodec();
    int Encode(const char* data, int size, unsigned flags, QByteArray& out);
    int Decode(const char* data, int size, unsigned flags, QByteArray& out);
    int SendSamples(const int16_t* samples, int n, QByteArray& out);
    int DrainPackets(QByteArray& out);
    void SendPacket(const uint8_t* data, int size, QByteArray& out);
    void DrainFrames(QByteArray& out);
};

bool FfmpegCore::OpenCodec() {
    const WaveFormat& f = Compressed();
    ctx = avcodec_alloc_context3(codec);
    frame = av_frame_alloc();
    packet = av_packet_alloc();
    if (ctx == nullptr || frame == nullptr || packet == nullptr) {
        return false;
    }
    ctx->sample_rate = static_cast<int>(f.samplesPerSec);
    av_channel_layout_default(&ctx->ch_layout, f.channels);
    AVDictionary* options = nullptr;
    if (kind == Kind::kEncode) {
        ctx->sample_fmt = PickSampleFormat(codec);
        if (ctx->sample_fmt == AV_SAMPLE_FMT_NONE) {
            return false;
        }
        ctx->bit_rate = int64_t{f.avgBytesPerSec} * 8;
        if (f.formatTag == kTagImaAdpcm || f.formatTag == kTagMsAdpcm) {
            av_dict_set_int(&options, "block_size", f.blockAlign, 0);
        }
    } else {
        ctx->block_align = f.blockAlign;
        ctx->bits_per_coded_sample = f.bitsPerSample;
        if (!f.extra.isEmpty()) {
            ctx->extradata = static_cast<uint8_t*>(
                av_mallocz(static_cast<size_t>(f.extra.size()) + AV_INPUT_BUFFER_PADDING_SIZE));
            if (ctx->extradata == nullptr) {
                return false;
            }
            std::memcpy(ctx->extradata, f.extra.constData(), static_cast<size_t>(f.extra.size()));
            ctx->extradata_size = static_cast<int>(f.extra.size());
        }
    }
    const int opened = avcodec_open2(ctx, codec, &options);
    av_dict_free(&options);
    if (opened < 0) {
        return false;
    }
    if (kind == Kind::kEncode) {
        fixedFrame =
            ctx->frame_size > 0 && (codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) == 0;
        frameSamples = fixedFrame ? ctx->frame_size : kVariableFrameSamples;
        // The codec must write the blocks the format record announces.
        if (f.blockAlign > 1 && ctx->block_align != 0 && ctx->block_align != f.blockAlign) {
            return false;
        }
        if (ctx->sample_rate != static_cast<int>(f.samplesPerSec)) {
            return false;
        }
    } else if (f.formatTag == kTagMpegLayer3) {
        parser = av_parser_init(AV_CODEC_ID_MP3);
        if (parser == nullptr) {
            return false;
        }
    }
    return true;
}

void FfmpegCore::CloseCodec() {
    if (parser != nullptr) {
        av_parser_close(parser);
        parser = nullptr;
    }
    avcodec_free_context(&ctx);
    av_frame_free(&frame);
    av_packet_free(&packet);
}

int FfmpegCore::DrainPackets(QByteArray& out) {
    for (;;) {
        const int r = avcodec_receive_packet(ctx, packet);
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) {
            return kResultOk;
        }
        if (r < 0) {
            return kResultNotPossible;
        }
        out.append(reinterpret_cast<const char*>(packet->data), packet->size);
        av_packet_unref(packet);
    }
}

int FfmpegCore::SendSamples(const int16_t* samples, int n, QByteArray& out) {
    av_frame_unref(frame);
    frame->nb_samples = n;
    frame->format = ctx->sample_fmt;
    frame->sample_rate = ctx->sample_rate;
    if (av_channel_layout_copy(&frame->ch_layout, &ctx->ch_layout) < 0 ||
        av_frame_get_buffer(frame, 0) < 0) {
        return kResultNotPossible;
    }
    FillFrame(frame, samples, n, ctx->ch_layout.nb_channels);
    frame->pts = pts;
    pts += n;
    if (avcodec_send_frame(ctx, frame) < 0) {
        return kResultNotPossible;
    }
    return DrainPackets(out);
}

int FfmpegCore::Encode(const char* data, int size, unsigned flags, QByteArray& out) {
    kept.append(data, size);
    const int channels = source.channels;
    const qsizetype frameBytes = qsizetype{frameSamples} * channels * 2;
    qsizetype offset = 0;
    int result = kResultOk;
    while (result == kResultOk && kept.size() - offset >= frameBytes) {
        result = SendSamples(reinterpret_cast<const int16_t*>(kept.constData() + offset),
                             frameSamples, out);
        offset += frameBytes;
    }
    kept.remove(0, offset);
    const bool convertTail =
        (flags & CodecStream::kEnd) != 0 || (flags & CodecStream::kBlockAlign) == 0;
    const qsizetype tailSamples = kept.size() / (channels * 2);
    if (result == kResultOk && convertTail && tailSamples > 0) {
        // A fixed-size codec gets the part frame filled up with silence.
        if (fixedFrame) {
            kept.append(QByteArray(frameBytes - tailSamples * channels * 2, '\0'));
        }
        const int n = fixedFrame ? frameSamples : static_cast<int>(tailSamples);
        result = SendSamples(reinterpret_cast<const int16_t*>(kept.constData()), n, out);
        kept.clear();
    }
    if (result == kResultOk && (flags & CodecStream::kEnd) != 0) {
        if (avcodec_send_frame(ctx, nullptr) < 0) {
            return kResultNotPossible;
        }
        result = DrainPackets(out);
        ended = true;
    }
    return result;
}

void FfmpegCore::DrainFrames(QByteArray& out) {
    for (;;) {
        const int r = avcodec_receive_frame(ctx, frame);
        if (r < 0) {
            break;
        }
        AppendFrame(frame, out);
        av_frame_unref(frame);
    }
}

void FfmpegCore::SendPacket(const uint8_t* data, int size, QByteArray& out) {
    packet->data = const_cast<uint8_t*>(data);
    packet->size = size;
    // Damaged data is passed over: the decoder finds its footing again at
    // the next good block or frame.
    avcodec_send_packet(ctx, packet);
    packet->data = nullptr;
    packet->size = 0;
    DrainFrames(out);
}

int FfmpegCore::Decode(const char* data, int size, unsigned flags, QByteArray& out) {
    kept.append(data, size);
    const bool end = (flags & CodecStream::kEnd) != 0;
    const auto* bytes = reinterpret_cast<const uint8_t*>(kept.constData());
    qsizetype offset = 0;
    if (parser != nullptr) {
        while (offset < kept.size() || end) {
            uint8_t* frameData = nullptr;
            int frameSize = 0;
            const int remaining = static_cast<int>(kept.size() - offset);
            const int used = av_parser_parse2(parser, ctx, &frameData, &frameSize,
                                              remaining > 0 ? bytes + offset : nullptr, remaining,
                                              AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
            if (used < 0) {
                break;
            }
            offset += used;
            if (frameSize > 0) {
                SendPacket(frameData, frameSize, out);
            }
            if (remaining == 0 || (used == 0 && frameSize == 0)) {
                break;  // the parser gave up what it held, or wants no more
            }
        }
    } else {
        const qsizetype block = std::max<qsizetype>(1, Compressed().blockAlign);
        const qsizetype whole = (kept.size() / block) * block;
        const bool blocks =
            Compressed().formatTag != kTagALaw && Compressed().formatTag != kTagMuLaw;
        while (offset < whole) {
            const qsizetype n = blocks ? block : whole;
            SendPacket(bytes + offset, static_cast<int>(n), out);
            offset += n;
        }
    }
    kept.remove(0, offset);
    if (end) {
        kept.clear();
        avcodec_send_packet(ctx, nullptr);
        DrainFrames(out);
        ended = true;
    }
    return kResultOk;
}

int FfmpegCore::Convert(const char* data, int size, unsigned flags, QByteArray& out) {
    if (ended || ((flags & CodecStream::kStart) != 0 && used)) {
        Reset();
    }
    if (broken) {
        return kResultNotPossible;
    }
    used = true;
    return kind == Kind::kEncode ? Encode(data, size, flags, out) : Decode(data, size, flags, out);
}

void FfmpegCore::Reset() {
    kept.clear();
    pts = 0;
    ended = false;
    used = false;
    CloseCodec();
    broken = !OpenCodec();
}

bool EncodesAndDecodes(uint16_t tag) {
    return FindEncoder(tag) != nullptr && FindDecoder(tag) != nullptr;
}

CodecCore* OpenCore(const WaveFormat& source, const WaveFormat& target, bool encode) {
    QuietLibraryLog();
    auto core = std::make_unique<FfmpegCore>();
    core->source = source;
    core->target = target;
    core->kind = encode ? FfmpegCore::Kind::kEncode : FfmpegCore::Kind::kDecode;
    core->codec = encode ? FindEncoder(target.formatTag) : FindDecoder(source.formatTag);
    if (core->codec == nullptr || !core->OpenCodec()) {
        return nullptr;
    }
    return core.release();
}

constexpr CodecEngine kEngine{kCodecEngineVersion, &EncodesAndDecodes, &OpenCore};

}  // namespace
}  // namespace codec

extern "C" __attribute__((visibility("default"))) const codec::CodecEngine* plumora_codec_engine() {
    return &codec::kEngine;
}
