#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "platform/wave_format.h"

// The compressed formats are encoded and decoded by a module of the program
// (plumora_ffmpeg.so, built on FFmpeg) that is loaded when a codec is first
// needed, so that a start that records PCM or nothing at all never loads the
// codec libraries. These are the entry points the module exports.
namespace codec {

// One open codec of a conversion stream: an encoder from 16-bit PCM, or a
// decoder to it, with the conversion rules of CodecStream (which widens or
// narrows 8-bit PCM around it).
class CodecCore {
  public:
    virtual ~CodecCore() = default;
    // CodecStream::Convert for a compressed side (flags as CodecStream's).
    virtual int Convert(const char* data, int size, unsigned flags, QByteArray& out) = 0;
    // Drops kept bytes and opens the codec afresh.
    virtual void Reset() = 0;
    virtual int KeptBytes() const = 0;
};

// What the module offers. The module is never unloaded, so cores it made
// may live as long as the process.
struct CodecEngine {
    int version;
    // True when the module's libraries encode and decode the tag.
    bool (*tagPossible)(uint16_t tag);
    // Opens an encoder (PCM source) or a decoder (PCM target) for formats
    // the caller has checked; nullptr when the codec is missing or does not
    // open with them.
    CodecCore* (*open)(const WaveFormat& source, const WaveFormat& target, bool encode);
};

inline constexpr int kCodecEngineVersion = 1;
// extern "C" const codec::CodecEngine* plumora_codec_engine();
inline constexpr const char* kCodecEngineSymbol = "plumora_codec_engine";
inline constexpr const char* kCodecModuleFile = "plumora_ffmpeg.so";

// The engine, loading the module from ProgramModuleDirectory() on the first
// call (from any thread);
// nullptr when it cannot be loaded, with the reason in EngineError().
const CodecEngine* Engine();
// Why Engine() gives nothing, as a message for the user (also written to
// the log once); empty when the module loaded. Loads it if not yet tried.
QString EngineError();

}  // namespace codec
